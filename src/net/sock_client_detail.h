// What the parts of the socket client (SockClient.cpp, sock_client_connect.cpp,
// sock_client_transfer.cpp) share.
#pragma once

#include <cstddef>

namespace sky::sock_detail {

// The most one read or write on the socket moves.
inline constexpr std::size_t kChunk = 16383;

}  // namespace sky::sock_detail
