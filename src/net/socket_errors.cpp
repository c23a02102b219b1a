#include "net/socket_errors.h"

#include <cerrno>

namespace sky {

namespace {

struct ErrorRow {
  int no;
  const char* text;
};

constexpr ErrorRow kErrors[] = {
    {sockerr::Intr, "Interrupted system call"},
    {sockerr::BadF, "Bad file number"},
    {sockerr::Acces, "Permission denied"},
    {sockerr::Fault, "Bad address"},
    {sockerr::Inval, "Invalid argument"},
    {sockerr::MFile, "Too many open files"},
    {sockerr::WouldBlock, "Operation would block"},
    {sockerr::InProgress, "Operation now in progress"},
    {sockerr::Already, "Operation already in progress"},
    {sockerr::NotSock, "Socket operation on non-socket"},
    {sockerr::DestAddrReq, "Destination address required"},
    {sockerr::MsgSize, "Message too long"},
    {sockerr::Prototype, "Wrong protocol type for socket"},
    {sockerr::NoProtoOpt, "Bad protocol option"},
    {sockerr::ProtoNoSupport, "Protocol not supported"},
    {sockerr::SocktNoSupport, "Socket type not supported"},
    {sockerr::OpNotSupp, "Operation not supported on socket"},
    {sockerr::PfNoSupport, "Protocol family not supported"},
    {sockerr::AfNoSupport, "Address family not supported by protocol family"},
    {sockerr::AddrInUse, "Address already in use"},
    {sockerr::AddrNotAvail, "Can't assign requested address"},
    {sockerr::NetDown, "Network is down"},
    {sockerr::NetUnreach, "Network is unreachable"},
    {sockerr::NetReset, "Network dropped connection or reset"},
    {sockerr::ConnAborted, "Software caused connection abort"},
    {sockerr::ConnReset, "Connection reset by peer"},
    {sockerr::NoBufs, "No buffer space available"},
    {sockerr::IsConn, "Socket is already connected"},
    {sockerr::NotConn, "Socket is not connected"},
    {sockerr::Shutdown, "Can't send after socket shutdown"},
    {sockerr::TooManyRefs, "Too many references, can't splice"},
    {sockerr::TimedOut, "Connection timed out"},
    {sockerr::ConnRefused, "Connection refused"},
    {sockerr::Loop, "Too many levels of symbolic links"},
    {sockerr::NameTooLong, "File name too long"},
    {sockerr::HostDown, "Host is down"},
    {sockerr::HostUnreach, "No route to Host"},
    {sockerr::NotEmpty, "Directory not empty"},
    {sockerr::ProcLim, "Too many processes"},
    {sockerr::Users, "Too many users"},
    {sockerr::DQuot, "Disc quota exceeded"},
    {sockerr::Stale, "Stale NFS file handle"},
    {sockerr::Remote, "Too many levels of remote in path"},
    {sockerr::SysNotReady, "Network subsystem is unavailable"},
    {sockerr::VerNotSupported, "Incompatible version of WINSOCK.DLL"},
    {sockerr::NotInitialised, "Successful WSAStartup not yet performed"},
    {sockerr::HostNotFound, "Host not found"},
    {sockerr::TryAgain, "Non-Authoritative Host not found"},
    {sockerr::NoRecovery, "Non-Recoverable error: FORMERR, REFUSED, NOTIMP"},
    {sockerr::NoData, "Valid name, no data record of requested type"},
    {0, "Unrecognized error code"},
};

}  // namespace

int SocketErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case EINTR: return sockerr::Intr;
    case EBADF: return sockerr::BadF;
    case EACCES:
    case EPERM: return sockerr::Acces;
    case EFAULT: return sockerr::Fault;
    case EINVAL: return sockerr::Inval;
    case EMFILE:
    case ENFILE: return sockerr::MFile;
    case EAGAIN: return sockerr::WouldBlock;
    case EINPROGRESS: return sockerr::InProgress;
    case EALREADY: return sockerr::Already;
    case ENOTSOCK: return sockerr::NotSock;
    case EDESTADDRREQ: return sockerr::DestAddrReq;
    case EMSGSIZE: return sockerr::MsgSize;
    case EPROTOTYPE: return sockerr::Prototype;
    case ENOPROTOOPT: return sockerr::NoProtoOpt;
    case EPROTONOSUPPORT: return sockerr::ProtoNoSupport;
    case ESOCKTNOSUPPORT: return sockerr::SocktNoSupport;
    case EOPNOTSUPP: return sockerr::OpNotSupp;
    case EPFNOSUPPORT: return sockerr::PfNoSupport;
    case EAFNOSUPPORT: return sockerr::AfNoSupport;
    case EADDRINUSE: return sockerr::AddrInUse;
    case EADDRNOTAVAIL: return sockerr::AddrNotAvail;
    case ENETDOWN: return sockerr::NetDown;
    case ENETUNREACH: return sockerr::NetUnreach;
    case ENETRESET: return sockerr::NetReset;
    case ECONNABORTED: return sockerr::ConnAborted;
    case ECONNRESET: return sockerr::ConnReset;
    case ENOBUFS:
    case ENOMEM: return sockerr::NoBufs;
    case EISCONN: return sockerr::IsConn;
    case ENOTCONN: return sockerr::NotConn;
    case ESHUTDOWN:
    case EPIPE: return sockerr::Shutdown;
    case ETOOMANYREFS: return sockerr::TooManyRefs;
    case ETIMEDOUT: return sockerr::TimedOut;
    case ECONNREFUSED: return sockerr::ConnRefused;
    case ELOOP: return sockerr::Loop;
    case ENAMETOOLONG: return sockerr::NameTooLong;
    case EHOSTDOWN: return sockerr::HostDown;
    case EHOSTUNREACH: return sockerr::HostUnreach;
    case ENOTEMPTY: return sockerr::NotEmpty;
    case EUSERS: return sockerr::Users;
    case EDQUOT: return sockerr::DQuot;
    case ESTALE: return sockerr::Stale;
    case EREMOTE: return sockerr::Remote;
    default: return err;
  }
}

std::string SocketErrorText(int errorNo) {
  if (errorNo == 0) return {};
  for (const auto& row : kErrors)
    if (row.no == errorNo) return std::to_string(errorNo) + ":" + row.text;
  return "Unknown Error No. " + std::to_string(errorNo);
}

}  // namespace sky
