// The tone player: PlayDTMF hands a key sequence to a worker thread that plays
// the clip of every tone key in it, each followed by the requested pause.
#include <windows.h>

#include "brisol.h"

struct ToneRequestBlock {
    const char *keys;   // the caller's sequence, read in place, never copied
    DWORD gapMs;        // pause after each played key
};

// The one parameter block: the worker reads it at every step.
static ToneRequestBlock ToneRequest;

// This library's own module: every clip is a resource of it.
static HINSTANCE ToneModule;

// Serialises playbacks: held from storing a request until its worker has been
// started (and, for a waiting call, has ended), so a new request never
// overwrites one that a worker is still reading.
static SRWLOCK RequestLock = SRWLOCK_INIT;

// The worker of the last call that did not wait; the next call waits for it
// to end before it touches ToneRequest.  Guarded by RequestLock.
static HANDLE UnfinishedWorker;

// A pause of INFINITE would keep the worker (and a waiting caller) forever;
// longer pauses are cut to this, far more than any dialling pause needs.
static const DWORD MaxGapMs = 10000;

static DWORD WINAPI ToneThread(void *request)
{
    static const struct {
        char key;
        WORD clipId;
    } KeyClips[] = {
        {'0', 104}, {'1', 106}, {'2', 107}, {'3', 109}, {'4', 110}, {'5', 111},
        {'6', 112}, {'7', 113}, {'8', 114}, {'9', 115}, {'A', 116}, {'B', 118},
        {'C', 119}, {'D', 120}, {'#', 108}, {'*', 117},
    };
    ToneRequestBlock *block = static_cast<ToneRequestBlock *>(request);
    DWORD count = lstrlenA(block->keys);
    for (DWORD i = 0; i < count; ++i) {
        char key = block->keys[i];
        for (const auto &entry : KeyClips) {
            if (entry.key != key)
                continue;
            PlaySoundA(MAKEINTRESOURCEA(entry.clipId), ToneModule, SND_RESOURCE);
            Sleep(block->gapMs < MaxGapMs ? block->gapMs : MaxGapMs);
            break;
        }
    }
    ExitThread(0);
}

// Waits for the worker of an earlier call that did not wait, and releases it.
static void FinishUnfinishedWorker()
{
    if (!UnfinishedWorker)
        return;
    WaitForSingleObject(UnfinishedWorker, INFINITE);
    CloseHandle(UnfinishedWorker);
    UnfinishedWorker = NULL;
}

extern "C" int WINAPI PlayDTMF(const char *keys, DWORD gapMs, int noWait)
{
    if (!keys || !keys[0])
        return 0;

    AcquireSRWLockExclusive(&RequestLock);
    FinishUnfinishedWorker();
    ToneRequest.keys = keys;
    ToneRequest.gapMs = gapMs;
    HANDLE worker = CreateThread(NULL, 0, ToneThread, &ToneRequest, CREATE_SUSPENDED, NULL);
    if (worker) {
        SetThreadPriority(worker, THREAD_PRIORITY_HIGHEST);
        ResumeThread(worker);
        if (noWait) {
            UnfinishedWorker = worker;
        } else {
            WaitForSingleObject(worker, INFINITE);
            CloseHandle(worker);
        }
    }
    ReleaseSRWLockExclusive(&RequestLock);
    return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD, void *)
{
    ToneModule = module;
    return TRUE;
}
