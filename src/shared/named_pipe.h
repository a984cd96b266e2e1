#pragma once
// The client's named-pipe endpoints (common base library): the server that user-session
// processes connect to, and the client they connect with. Their behaviour is the common base
// library's; this library provides (and exports) their copy constructors and copy
// assignments, which copy member-wise in declaration order.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "shared/export.h"
#include "shared/win32_mutex_lock.h"

class SharedTypesTestPeer;

class CNamedPipeServer {
  public:
    // Answers one request from a connected client.
    using RequestHandler = std::function<std::wstring(const std::wstring& request)>;
    // Told when a client connects (true) or disconnects (false), with the client's process id.
    using ConnectionHandler = std::function<void(std::uint64_t processId, bool connected)>;

    CNamedPipeServer() = default;
    ~CNamedPipeServer() = default;
    // Callable objects are copied by cloning the function they hold (empty stays empty); the
    // lock is copied with Win32MutexLock's own copy operations.
    ORV_EXPORT CNamedPipeServer(const CNamedPipeServer& other);
    ORV_EXPORT CNamedPipeServer& operator=(const CNamedPipeServer& other);

  private:
    friend class ::SharedTypesTestPeer;  // tests reach the fields

    // Fields are used by the common base library under lock_.
    std::wstring pipe_name_;
    std::wstring security_descriptor_;
    std::uint64_t pipe_handle_ = 0;
    std::uint64_t stop_event_ = 0;
    bool listening_ = false;
    bool stopping_ = false;
    std::uint64_t timeout_ms_ = 0;
    RequestHandler request_handler_;
    ConnectionHandler connection_handler_;
    Win32MutexLock lock_;
};

class CNamedPipeClient {
  public:
    CNamedPipeClient() = default;
    ~CNamedPipeClient() = default;
    // The queue is copied entry by entry, keeping the order.
    ORV_EXPORT CNamedPipeClient(const CNamedPipeClient& other);
    ORV_EXPORT CNamedPipeClient& operator=(const CNamedPipeClient& other);

  private:
    friend class ::SharedTypesTestPeer;  // tests reach the fields

    // A client endpoint belongs to one thread.
    std::wstring pipe_name_;
    std::wstring server_name_;
    std::uint64_t pipe_handle_ = 0;
    std::uint64_t connect_timeout_ms_ = 0;
    bool connected_ = false;
    std::uint64_t retry_count_ = 0;
    std::uint64_t retry_delay_ms_ = 0;
    std::uint64_t last_error_ = 0;
    std::deque<std::wstring> outgoing_;  // messages not yet written, oldest first
    std::uint64_t bytes_written_ = 0;
};
