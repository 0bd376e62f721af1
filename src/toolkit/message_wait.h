#pragma once
// Waiting on the UI thread without freezing it: the thread's messages are
// handled meanwhile, and a request to end the program ends the wait at once.

#include <functional>

#include <windows.h>

enum class TMessageWaitEnd { Signalled, TimedOut, Ending };

// Waits until object is signalled (a null object: never) or the time has passed
// (INFINITE: no limit), dispatching the thread's messages meanwhile. A quit
// message ends the wait and is posted again for the message loop after it.
TMessageWaitEnd WaitHandlingMessages(HANDLE object, DWORD milliseconds);

// Runs job on a thread of its own and waits for it as above; false when the
// program was told to end first. The job then runs on unattended, so it must
// own everything it uses; a failure that escapes it is dropped with its thread.
bool RunHandlingMessages(std::function<void()> job);
