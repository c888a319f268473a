// The priority of the threads that talk to the printer on their own (the status monitor, the
// adjustment worker): a step above normal where the system lets an unprivileged program have it.
#pragma once

// Raises the calling thread's priority one step: THREAD_PRIORITY_ABOVE_NORMAL on Windows; on
// Linux the thread's nice value one lower (which needs a privilege most users lack: the thread
// then simply keeps normal priority); under a scheduling policy with priorities above the
// current one (macOS), the next of those.
void RaiseThreadPriority();
