#include "platform/common_base/security_attributes.h"

#include <new>

#include "sim/common_base/environment_arrangements.h"
#include "sim/trace.h"

bool InitializeSecurityAttributes(SECURITY_ATTRIBUTES& attributes, bool inheritHandle) {
    orvsim::TraceCall("SecurityAttributes", "InitializeSecurityAttributes", inheritHandle);
    attributes.nLength = sizeof(SECURITY_ATTRIBUTES);
    attributes.bInheritHandle = inheritHandle ? TRUE : FALSE;
    attributes.lpSecurityDescriptor = nullptr;
    if (orvsim::environment::SecurityAttributesFail()) {
        return false;
    }
    // A null DACL grants every session access, which is what a global object shared by the
    // service and the per-user processes needs.
    auto* descriptor = new (std::nothrow) SECURITY_DESCRIPTOR();
    if (descriptor == nullptr ||
        !InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(descriptor, TRUE, nullptr, FALSE)) {
        delete descriptor;
        return false;
    }
    attributes.lpSecurityDescriptor = descriptor;
    orvsim::environment::SecurityDescriptorAllocated();
    return true;
}

void FreeSecurityAttribute(SECURITY_ATTRIBUTES& attributes) {
    orvsim::TraceCall("SecurityAttributes", "FreeSecurityAttribute");
    if (attributes.lpSecurityDescriptor != nullptr) {
        delete static_cast<SECURITY_DESCRIPTOR*>(attributes.lpSecurityDescriptor);
        attributes.lpSecurityDescriptor = nullptr;
        orvsim::environment::SecurityDescriptorFreed();
    }
}
