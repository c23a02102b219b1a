#include "net/resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstring>

#include "net/socket_errors.h"

namespace sky {

namespace {

std::mutex& ResolverMutex() {
  static std::mutex m;
  return m;
}

TResolver& ResolverSlot() {
  static TResolver r;
  return r;
}

}  // namespace

bool LiteralAddress(const std::string& name, TSockAddress& out) {
  in_addr v4{};
  if (inet_aton(name.c_str(), &v4) != 0) {
    auto* sin = reinterpret_cast<sockaddr_in*>(&out.addr);
    sin->sin_family = AF_INET;
    sin->sin_addr = v4;
    out.len = sizeof(sockaddr_in);
    return true;
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, name.c_str(), &v6) == 1) {
    auto* sin6 = reinterpret_cast<sockaddr_in6*>(&out.addr);
    sin6->sin6_family = AF_INET6;
    sin6->sin6_addr = v6;
    out.len = sizeof(sockaddr_in6);
    return true;
  }
  return false;
}

bool IsNullAddress(const TSockAddress& a) {
  return a.addr.ss_family == AF_INET && reinterpret_cast<const sockaddr_in*>(&a.addr)->sin_addr.s_addr == 0;
}

void SetResolver(TResolver resolver) {
  std::lock_guard<std::mutex> lock(ResolverMutex());
  ResolverSlot() = std::move(resolver);
}

std::vector<TSockAddress> DefaultResolve(const std::string& name, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* res = nullptr;
  int rc = getaddrinfo(name.c_str(), nullptr, &hints, &res);
  std::vector<TSockAddress> out;
  if (rc != 0) {
    switch (rc) {
      case EAI_AGAIN: error = sockerr::TryAgain; break;
      case EAI_FAIL: error = sockerr::NoRecovery; break;
#ifdef EAI_NODATA
      case EAI_NODATA: error = sockerr::NoData; break;
#endif
      default: error = sockerr::HostNotFound; break;
    }
    return out;
  }
  for (addrinfo* p = res; p; p = p->ai_next) {
    if (p->ai_family != AF_INET && p->ai_family != AF_INET6) continue;
    if (p->ai_addrlen > sizeof(sockaddr_storage)) continue;
    TSockAddress a;
    std::memcpy(&a.addr, p->ai_addr, p->ai_addrlen);
    a.len = p->ai_addrlen;
    out.push_back(a);
  }
  freeaddrinfo(res);
  error = out.empty() ? sockerr::NoData : 0;
  return out;
}

TResolver CurrentResolver() {
  TResolver resolver;
  {
    std::lock_guard<std::mutex> lock(ResolverMutex());
    resolver = ResolverSlot();
  }
  return resolver ? resolver : TResolver(DefaultResolve);
}

}  // namespace sky
