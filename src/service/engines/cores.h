#pragma once
// How the recognition workers share the machine's cores.

namespace ocrgated {

// The cores each of `workers` workers may use, at least one: PP-OCR reads that many
// lines at once, and Tesseract's OpenMP team has that many threads.
int CoresPerWorker(int workers);

// Gives each worker's OpenMP team CoresPerWorker(workers) threads, unless a limit is
// set already, so that the teams do not fight over the same cores. The OpenMP runtime
// reads its limit when it loads: this sets it and starts the program again, and
// returns only when a limit was set already or the restart failed.
void LimitOpenMp(char** argv, int workers);

}  // namespace ocrgated
