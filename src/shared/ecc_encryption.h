#pragma once
// EccEncryption: sole owner of one elliptic-curve crypto object of the core library (orvcore),
// or of nothing. Move-only. The object is destroyed only through ORVCore::ECCrypt_Delete, and
// only by the destructor or by a move assignment that replaces it. No lock: an EccEncryption
// belongs to one thread at a time.

#include <memory>

#include "shared/export.h"

namespace ORVCore {
class IECCrypt;
}  // namespace ORVCore

class EccEncryption {
  public:
    // Takes ownership of crypt (may be null).
    explicit EccEncryption(ORVCore::IECCrypt* crypt = nullptr) noexcept : crypt_(crypt) {}

    // Takes other's object; other then holds null.
    ORV_EXPORT EccEncryption(EccEncryption&& other) noexcept;
    // Unless other is *this: takes other's object (other then holds null), stores it, and only
    // then deletes the object held before, if any.
    ORV_EXPORT EccEncryption& operator=(EccEncryption&& other) noexcept;
    // Deletes the object held, if any.
    ORV_EXPORT ~EccEncryption();

    EccEncryption(const EccEncryption&) = delete;
    EccEncryption& operator=(const EccEncryption&) = delete;

    // The object held, still owned by this.
    ORVCore::IECCrypt* get() const noexcept { return crypt_.get(); }

  private:
    struct Deleter {
        void operator()(ORVCore::IECCrypt* crypt) const noexcept;  // ORVCore::ECCrypt_Delete
    };
    std::unique_ptr<ORVCore::IECCrypt, Deleter> crypt_;
};
