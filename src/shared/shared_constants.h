#pragma once
// Names that several of the client's libraries share: registry key paths (relative to a root
// the using library chooses), socket names and value names. Each translation unit that
// includes this header gets its own copy of each constant, built when the library is loaded.
//
// kBrokerRegistryPath and kBrokerRegistryPathLower differ only in the case of their last
// component; registry key names ignore case, so both name the same key.

#include <string>

const std::wstring kOrvRegistryPath = L"Software\\Quelro\\ORV";
const std::wstring kBrokerRegistryPath = L"Software\\Quelro\\ORV\\Broker";
const std::wstring kBrokerRegistryPathLower = L"Software\\Quelro\\ORV\\broker";
const std::wstring kCertPinningErrorRegistryPath = L"Software\\Quelro\\ORV\\CertPinningError";
const std::wstring kUserSocketName = L"afxunix-usersocket";
const std::wstring kElevatedSocketName = L"afxunix-elevatedsocket";
const std::wstring kFirstCallTimeName = L"firstCallTime";
const std::wstring kRecentCallTimeName = L"recentCallTime";
const std::wstring kPlatformEPCallCountName = L"platformEPCallCount";
const std::wstring kExtensionSupportName = L"extension-support";
