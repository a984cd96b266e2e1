#pragma once
// Arranging the machine-facing answers of the common base stand-ins (C++ control API for
// tests and orvhost): out-of-box setup, registration outcome, firmware manufacturer, the
// interactive session and the security attributes. Any thread.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/common_base/registration_result.h"

namespace orvsim {

// --- Out-of-box experience (ORV::utility::IsOOBECompleted) ---
void ArrangeOobeCompleted();                            // every check answers true (default)
void ArrangeOobeCompletedAfter(unsigned failedChecks);  // false for that many checks, then true
void ArrangeOobeNeverCompleted();                       // every check answers false
unsigned OobeChecks();                                  // checks made since the last arrangement

// --- Device registration outcome, for the registration agent's RegisterDevice ---
// Default: success, error code 0.
void ArrangeRegistration(bool success, std::int32_t errorCode);
orv::registration::RegistrationResult ArrangedRegistration();

// --- SMBIOS system manufacturer (SMBiosInformationRetriever::GetManufacturer) ---
// Default: "Quelro", the client's own make.
void ArrangeManufacturer(std::wstring manufacturer);
std::wstring ArrangedManufacturer();

// --- Interactive session (ORV::ProcessWrap::GetCurrentSessionId) ---
// Default (nullopt): the active user session id, or 0 when there is none.
void ArrangeCurrentSessionId(std::optional<std::uint32_t> sessionId);

// --- Security attributes (InitializeSecurityAttributes) ---
void ArrangeSecurityAttributesFailure(bool fail);
int OutstandingSecurityDescriptors();  // initialized and not yet freed

// Where ORV::EpUrlProvider::GetRealm reads the organization realm: a string value under
// HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kRealmKeyPath[] = L"Software\\Quelro\\ORV";
inline constexpr wchar_t kRealmValueName[] = L"Realm";

// Back to defaults, including the active user session id (-1).
void ResetEnvironmentArrangements();

}  // namespace orvsim
