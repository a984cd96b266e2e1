#include "shared/named_pipe.h"

// Member-wise in declaration order: std::function clones the function it holds (an empty one
// stays empty), Win32MutexLock uses its own copy operations, the deque copies entry by entry.
CNamedPipeServer::CNamedPipeServer(const CNamedPipeServer& other) = default;
CNamedPipeServer& CNamedPipeServer::operator=(const CNamedPipeServer& other) = default;

CNamedPipeClient::CNamedPipeClient(const CNamedPipeClient& other) = default;
CNamedPipeClient& CNamedPipeClient::operator=(const CNamedPipeClient& other) = default;
