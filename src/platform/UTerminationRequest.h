#pragma once

// A console program that must clean up (remove what it registered) when it is asked to end:
// after this call, a termination request quits the application's event loop instead of
// killing the process. POSIX: SIGTERM, SIGINT and SIGHUP. Windows: Ctrl+C, Ctrl+Break and the
// closing of its console. False (with the reason on stderr) when that cannot be set up.
bool QuitEventLoopOnTerminationRequest();
