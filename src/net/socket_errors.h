// The socket error numbers (the Windows Sockets numbering every message of
// the client uses), their texts, and the mapping from errno.
#pragma once

#include <string>

namespace sky {

namespace sockerr {
enum : int {
  Intr = 10004,
  BadF = 10009,
  Acces = 10013,
  Fault = 10014,
  Inval = 10022,
  MFile = 10024,
  WouldBlock = 10035,
  InProgress = 10036,
  Already = 10037,
  NotSock = 10038,
  DestAddrReq = 10039,
  MsgSize = 10040,
  Prototype = 10041,
  NoProtoOpt = 10042,
  ProtoNoSupport = 10043,
  SocktNoSupport = 10044,
  OpNotSupp = 10045,
  PfNoSupport = 10046,
  AfNoSupport = 10047,
  AddrInUse = 10048,
  AddrNotAvail = 10049,
  NetDown = 10050,
  NetUnreach = 10051,
  NetReset = 10052,
  ConnAborted = 10053,
  ConnReset = 10054,
  NoBufs = 10055,
  IsConn = 10056,
  NotConn = 10057,
  Shutdown = 10058,
  TooManyRefs = 10059,
  TimedOut = 10060,
  ConnRefused = 10061,
  Loop = 10062,
  NameTooLong = 10063,
  HostDown = 10064,
  HostUnreach = 10065,
  NotEmpty = 10066,
  ProcLim = 10067,
  Users = 10068,
  DQuot = 10069,
  Stale = 10070,
  Remote = 10071,
  SysNotReady = 10091,
  VerNotSupported = 10092,
  NotInitialised = 10093,
  HostNotFound = 11001,
  TryAgain = 11002,
  NoRecovery = 11003,
  NoData = 11004,
};
}  // namespace sockerr

// The socket error number for an errno value (an unknown errno passes through).
int SocketErrorFromErrno(int err);
// "" for 0; number + ":" + text for a known number; else "Unknown Error No. " + number.
std::string SocketErrorText(int errorNo);

}  // namespace sky
