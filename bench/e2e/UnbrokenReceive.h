// A stream that cannot be read back line by line (text without line feeds, random bytes)
// watched from outside the program, for bench/e2e/unbroken-text:
//   lumetra-probe watch-receive <go file> <done file> <text file>
// creates the go file (the feeder starts), pings the window with WM_NULL every 50 ms and polls
// the receive area's length every 5 ms until the done file exists (the feeder has ended or was
// stopped) and the length has not changed for 3 s; then fetches the whole text into the text
// file (UTF-16LE), which only a window that answers gives. While data flows it asks the window
// only for its length: a large reply across processes can make Wine end the window's thread.
// Prints "name=value" lines: when the length last changed, the longest time it stood still
// before that, the trims seen (the length dropped) and the longest poll answered with a drop
// (about the longest refresh that held a trim), the WM_NULL figures, the final length and
// whether the text was fetched.
#pragma once

// argv[2..4]: the go file, the done file, the text file; 2 on other arguments.
int WatchReceive(int argc, wchar_t** argv);
