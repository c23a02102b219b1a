// The words of an error box for a request that failed on the way: a failed
// connection or look-up says where it tried to go, so "Connection Failed"
// never stands alone.
#pragma once

#include <string>

namespace sky {

class TSockClient;
struct FetchResult;

// "proxy 127.0.0.1:8080" or "www.example.com:80": where the client connects.
std::string ConnectEndpoint(const TSockClient& c);
std::string ConnectEndpoint(const FetchResult& r);

// `what` (the exception's text, kept first as scripts and the help know it),
// and for a failed look-up or connection a second paragraph naming the host or
// proxy and the socket error.
std::string RequestFailureText(const TSockClient& c, const std::string& what);
// The same for a request that ended on the way, from its result.
std::string RequestFailureText(const FetchResult& r);

}  // namespace sky
