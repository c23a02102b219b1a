// Name lookups of the socket layer: the replaceable resolver, literal
// addresses, and the job a lookup worker shares with the client.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace sky {

// One resolved address of a host.
struct TSockAddress {
  sockaddr_storage addr{};
  socklen_t len = 0;
};

// Name lookup used by every socket: the addresses of `name` in the order to
// try them, or an empty list with a socket error number (11001...) in
// `error`. Runs on a worker thread. The default calls getaddrinfo; tests
// replace it to stand in for slow or failing name servers.
using TResolver = std::function<std::vector<TSockAddress>(const std::string& name, int& error)>;
void SetResolver(TResolver resolver);  // empty: back to the default
std::vector<TSockAddress> DefaultResolve(const std::string& name, int& error);
// The resolver a lookup starting now uses.
TResolver CurrentResolver();

// A literal address needs no lookup: a dotted IPv4 address (in every form
// inet_aton accepts) or an IPv6 address.
bool LiteralAddress(const std::string& name, TSockAddress& out);
// 0.0.0.0, which names no host.
bool IsNullAddress(const TSockAddress& a);

// Shared between the owner and the worker that runs the lookup, so whichever
// lets go last frees it: a late result after a cancel, a time-out or the
// client's destruction lands here and is dropped.
struct LookupJob {
  std::mutex m;
  bool done = false;
  int error = 0;
  std::vector<TSockAddress> result;
  int pipe[2] = {-1, -1};
  ~LookupJob() {
    if (pipe[0] >= 0) ::close(pipe[0]);
    if (pipe[1] >= 0) ::close(pipe[1]);
  }
};

}  // namespace sky
