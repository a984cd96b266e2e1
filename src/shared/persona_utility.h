#pragma once
// orv::PersonaUtility: which personas the device's user has, as an interface with a virtual
// table and no data. The shared-native library provides the behaviour behind every slot; this
// library provides the constructors, the assignments and the virtual table, all exported.
//
// Virtual table, in slot order, as declared below; no virtual destructor. The slots forward
// inline to *Impl members of the shared-native library, for the reason given in
// "shared/core_utility.h": the virtual table is then emitted by this library's constructors.

#include "shared/export.h"

namespace orv {

// The layout has no virtual destructor: objects are never deleted through a pointer to a
// subclass of this interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ORV_EXPORT PersonaUtility {
  public:
    // Constructors set the virtual table only; assignments do nothing and return *this.
    PersonaUtility();
    PersonaUtility(const PersonaUtility& other);
    PersonaUtility(PersonaUtility&& other) noexcept;
    PersonaUtility& operator=(const PersonaUtility& other);
    PersonaUtility& operator=(PersonaUtility&& other) noexcept;

    virtual bool IsBusinessProfessional() { return IsBusinessProfessionalImpl(); }
    virtual bool IsGamer() { return IsGamerImpl(); }
    virtual bool IsStudent() { return IsStudentImpl(); }
    virtual bool IsCreator() { return IsCreatorImpl(); }
    virtual bool IsEntertainer() { return IsEntertainerImpl(); }
    virtual bool IsDeveloper() { return IsDeveloperImpl(); }
    virtual bool IsFamily() { return IsFamilyImpl(); }
    // True when the user's persona key holds a value of this name.
    virtual bool RegistryPersonaValueExists(const wchar_t* valueName) {
        return RegistryPersonaValueExistsImpl(valueName);
    }

  protected:
    // Shared-native library: the behaviour behind the slots above.
    bool IsBusinessProfessionalImpl();
    bool IsGamerImpl();
    bool IsStudentImpl();
    bool IsCreatorImpl();
    bool IsEntertainerImpl();
    bool IsDeveloperImpl();
    bool IsFamilyImpl();
    bool RegistryPersonaValueExistsImpl(const wchar_t* valueName);
};
#pragma GCC diagnostic pop

}  // namespace orv
