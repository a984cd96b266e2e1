#include "shared/ecc_encryption.h"

#include <utility>

#include "platform/core/core_api.h"

void EccEncryption::Deleter::operator()(ORVCore::IECCrypt* crypt) const noexcept {
    ORVCore::ECCrypt_Delete(crypt);
}

EccEncryption::EccEncryption(EccEncryption&& other) noexcept : crypt_(std::move(other.crypt_)) {}

EccEncryption& EccEncryption::operator=(EccEncryption&& other) noexcept {
    if (this != &other) {
        // unique_ptr's move assignment stores the new object first and only then deletes the
        // old one, so a deleter that reaches back into this object sees the new state.
        crypt_ = std::move(other.crypt_);
    }
    return *this;
}

// unique_ptr calls the deleter only for a non-null object.
EccEncryption::~EccEncryption() = default;
