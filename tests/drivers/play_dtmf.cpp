// Test driver: calls PlayDTMF of the real BRISOL.DLL, bound by ordinal like the
// dialler, and prints what it returned and how long the call took.
//
//   play_dtmf KEYS GAP NOWAIT [KEYS GAP NOWAIT ...]
//
// KEYS is the key sequence as hex bytes ("31 32", or "" for an empty string,
// or "null" for a null pointer).  Several triples are played from as many
// threads, so their calls overlap.  After each call the
// driver prints "result=R ms=T"; with noWait it keeps the sequence alive and
// waits a little past the playback before it exits.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "brisol.h"
#include "hex_bytes.h"

namespace {

struct Call {
    bool null = false;
    std::string keys;
    DWORD gapMs = 0;
    int noWait = 0;
    int result = -1;
    DWORD ms = 0;
};

DWORD WINAPI RunCall(void *arg)
{
    Call *call = static_cast<Call *>(arg);
    DWORD start = GetTickCount();
    call->result = PlayDTMF(call->null ? NULL : call->keys.c_str(), call->gapMs, call->noWait);
    call->ms = GetTickCount() - start;
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<Call> calls;
    for (int i = 1; i + 2 < argc; i += 3) {
        Call call;
        call.null = std::strcmp(argv[i], "null") == 0;
        if (!call.null)
            call.keys = FromHex(argv[i]);
        call.gapMs = std::strtoul(argv[i + 1], NULL, 0);
        call.noWait = std::atoi(argv[i + 2]);
        calls.push_back(call);
    }
    if (calls.empty()) {
        std::fprintf(stderr, "usage: play_dtmf KEYS GAP NOWAIT [...]\n");
        return 2;
    }

    // Each call gets its own thread, started 50 ms after the one before, so
    // every later call arrives while the earlier ones are still playing.
    std::vector<HANDLE> threads;
    for (Call &call : calls) {
        if (!threads.empty())
            Sleep(50);
        threads.push_back(CreateThread(NULL, 0, RunCall, &call, 0, NULL));
    }
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);

    bool anyNoWait = false;
    for (const Call &call : calls) {
        std::printf("result=%d ms=%lu\n", call.result, static_cast<unsigned long>(call.ms));
        anyNoWait |= call.noWait != 0;
    }
    std::fflush(stdout);
    // A non-waiting playback goes on after the call: keep the sequences alive
    // until it is over.  An empty waiting call settles that.
    if (anyNoWait)
        PlayDTMF("-", 0, 0);
    return 0;
}
