// Times waiting PlayDTMF calls against a baseline that plays the same clips
// straight from BRISOL.DLL with PlaySoundA and Sleep on the calling thread,
// so the difference is what the library adds: the worker, its priority and
// the wait.
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "brisol.h"

namespace {

const char Digits[] = "1234567890";
const WORD DigitClips[] = {106, 107, 109, 110, 111, 112, 113, 114, 115, 104};
const int DigitSamples[] = {4417, 4408, 4424, 4424, 4408, 4416, 4416, 4424, 4432, 4432};
const int Rounds = 3;

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

}  // namespace

int main()
{
    HMODULE library = GetModuleHandleA("BRISOL.DLL");
    // The first sound of a process opens the audio device: keep that out.
    PlayDTMF("1", 0, 0);
    PlaySoundA(MAKEINTRESOURCEA(DigitClips[0]), library, SND_RESOURCE);
    std::printf("%-4s %-5s %10s %10s %7s %10s %13s\n", "keys", "gap", "PlayDTMF", "baseline", "ratio",
                "ideal", "overhead/key");
    for (int keys : {1, 10}) {
        for (DWORD gap : {0UL, 100UL}) {
            char sequence[11] = {};
            double ideal = 0;
            for (int i = 0; i < keys; ++i) {
                sequence[i] = Digits[i];
                ideal += DigitSamples[i] * 1000.0 / 44100 + gap;
            }
            double ours = 0, baseline = 0;
            for (int round = 0; round < Rounds; ++round) {
                double start = Now();
                PlayDTMF(sequence, gap, 0);
                ours += Now() - start;
                start = Now();
                for (int i = 0; i < keys; ++i) {
                    PlaySoundA(MAKEINTRESOURCEA(DigitClips[i]), library, SND_RESOURCE);
                    Sleep(gap);
                }
                baseline += Now() - start;
            }
            ours /= Rounds;
            baseline /= Rounds;
            std::printf("%-4d %-5lu %8.1fms %8.1fms %6.3fx %8.1fms %11.2fms\n", keys, gap, ours, baseline,
                        ours / baseline, ideal, (ours - baseline) / keys);
        }
    }
    return 0;
}
