#include "shared/com_init.h"

namespace ORV {

ComInit::ComInit() : ComInit(false) {}

ComInit& ComInit::operator=(const ComInit& other) {
    _hResInit = other._hResInit;
    return *this;
}

}  // namespace ORV
