// What the parts of the socket client (SockClient.cpp, sock_client_connect.cpp,
// sock_client_transfer.cpp) share.
#pragma once

#include <cstddef>

namespace sky::sock_detail {

// The most one write on the socket moves, and the slice of received bytes
// each progress event reports.
inline constexpr std::size_t kChunk = 16383;
// One read on the socket takes up to this many slices at once: a few large
// reads cost far less than many small ones, and the slices keep the progress
// events as a read of kChunk bytes each would have given them.
inline constexpr std::size_t kSlicesPerRead = 16;
inline constexpr std::size_t kReadSize = kChunk * kSlicesPerRead;  // 262,128 bytes

}  // namespace sky::sock_detail
