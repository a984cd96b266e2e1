#pragma once
// Security attributes for the client's named kernel objects.

#include "winapi/windows_api.h"

// Fills `attributes` with a security descriptor that lets the client's processes in every
// session open the object. True when the attributes are usable; the caller must then pass
// them to FreeSecurityAttribute once the object is created (calling it after a failure is
// harmless).
bool InitializeSecurityAttributes(SECURITY_ATTRIBUTES& attributes, bool inheritHandle);

// Frees what InitializeSecurityAttributes allocated and clears the descriptor pointer.
void FreeSecurityAttribute(SECURITY_ATTRIBUTES& attributes);
