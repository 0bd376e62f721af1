#pragma once
// The socket errors the client names, one table for both systems: messages
// read the same everywhere, with the Windows Sockets numbers.

// The table's text for a Windows Sockets error number; empty for others.
const char* SocketErrorText(int code);

#ifndef _WIN32
// The Windows Sockets number that a POSIX errno stands for; the errno itself
// when the table has none.
int SocketErrorFromErrno(int error);
#endif
