// orv::PersonaUtility's behaviour (shared-native library): a persona is set when its value
// exists under the client's persona key, where the persona survey writes it.

#include "shared/persona_utility.h"

#include "sim/client/client_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "orv::PersonaUtility";

bool PersonaValueExists(const wchar_t* valueName) {
    if (valueName == nullptr) {
        return false;
    }
    DWORD type = 0;
    return RegGetValueW(HKEY_LOCAL_MACHINE, orvsim::kPersonaKeyPath, valueName, RRF_RT_ANY, &type,
                        nullptr, nullptr) == ERROR_SUCCESS;
}

bool HasPersona(const char* operation, const wchar_t* valueName) {
    orvsim::TraceCall(kComponent, operation);
    return PersonaValueExists(valueName);
}

}  // namespace

namespace orv {

bool PersonaUtility::IsBusinessProfessionalImpl() {
    return HasPersona("IsBusinessProfessional", L"BusinessProfessional");
}
bool PersonaUtility::IsGamerImpl() {
    return HasPersona("IsGamer", L"Gamer");
}
bool PersonaUtility::IsStudentImpl() {
    return HasPersona("IsStudent", L"Student");
}
bool PersonaUtility::IsCreatorImpl() {
    return HasPersona("IsCreator", L"Creator");
}
bool PersonaUtility::IsEntertainerImpl() {
    return HasPersona("IsEntertainer", L"Entertainer");
}
bool PersonaUtility::IsDeveloperImpl() {
    return HasPersona("IsDeveloper", L"Developer");
}
bool PersonaUtility::IsFamilyImpl() {
    return HasPersona("IsFamily", L"Family");
}

bool PersonaUtility::RegistryPersonaValueExistsImpl(const wchar_t* valueName) {
    orvsim::TraceCall(kComponent, "RegistryPersonaValueExists", valueName);
    return PersonaValueExists(valueName);
}

}  // namespace orv
