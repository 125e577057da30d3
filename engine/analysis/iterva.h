/* Entry points of the analysis engine Terva3-comp.
 *
 * ITERVA runs one complete analysis: it reads the run file list "names.dat"
 * from the current working directory (line 1 the input file, line 2 the
 * report, line 3 the graphic data file), reads and echoes the input, checks
 * it, runs the analysis and writes the report and the graphic data file.
 * It leaves the scratch files "TAPE7" and "TAPE8" in the working directory.
 *
 * A seventh line of "names.dat", when present and not blank, names a results
 * file: every number of the run at single precision, as a JSON document (see
 * the program's README). Lines 4 to 6 are not read. Without a seventh line the
 * run writes exactly the report and the graphic data file. When "names.dat" is
 * missing or has fewer than three lines, the three names are asked for on the
 * process's console.
 *
 * Numbers are read and written with "." as the decimal point whatever the
 * locale of the calling process.
 *
 * Every call starts from a fresh problem record and a fresh results record:
 * nothing of one call is seen by the next (the desktop program loads the
 * library afresh for every run, so a single run behaves as it always has).
 *
 * The argument must be 13. Returns:
 *   0  the input was complete and the analysis ran; frequencies where it
 *      failed are reported, and the report then ends with the line
 *      "*** ANALYSIS COMPLETED WITH ERRORS AT n FREQUENCIES ***"
 *   1  wrong argument; nothing was opened or written
 *   2  the input ended by STOP, or by its end without RUN
 *   3  no analysis: a fatal input error was found, the analysis refused the
 *      problem ("PROGRAM WILL NOT EXECUTE"), or the run files could not be had;
 *      also when the report or the graphic data file could not be written
 *      completely - all are then removed and a message goes to standard error.
 *      An output that was opened (and so emptied) before another could not be
 *      opened is removed too. A run that returns anything but 0 leaves no
 *      results file
 *   4  refused: another run is in progress in this process in the same
 *      folder, or another ITERVA call is in progress (ITERVA calls share the
 *      current folder and the progress counters); nothing was opened or
 *      written
 *
 * Within a call the frequencies of piles and multilayer columns are analysed
 * on worker threads, one per core, or as many as the environment variable
 * TERVA_THREADS says for any foundation (1: all on the calling thread);
 * the report and the graphic data file are the same whatever the count. The
 * workers have ended when ITERVA returns. _ITERVA is the same function under
 * its second exported name.
 *
 * ITERVA_PROGRESS (and _ITERVA_PROGRESS) may be called from any thread while
 * ITERVA runs on another: *done is the number of frequencies finished so far
 * (computed, whichever worker finished them, and never going back),
 * *total the number of frequencies of the run; both are 0 while no frequency
 * loop is running (before it starts, after ITERVA has returned, and in a run
 * that ends before its analysis). A null pointer is left alone. Runs made
 * through terva_run do not move these counters.
 *
 * terva_run is the same run in a folder named by the caller, without the
 * process's current folder and without process-wide progress: "names.dat",
 * "TAPE7" and "TAPE8" are those of `folder`, and the relative file names of
 * "names.dat" (and of the console answers) are taken relative to `folder`
 * (absolute names stand as they are). A relative `folder` is taken relative
 * to the current folder at the call; NULL or "" is the current folder. It
 * returns the codes of ITERVA (never 1), and 3 when `folder` is no folder
 * (nothing is then written).
 *
 * `progress`, when not NULL, is called with `user` as the run goes: with
 * (0, total) when the frequency loop starts, (done, total) each time one more
 * frequency is finished, and (0, 0) when the loop ends, whichever way; it is
 * not called in a run that ends before its analysis. The calls come from the
 * threads of the run (the calling thread or its workers), one at a time and
 * with done never going back; the callback must return promptly and must not
 * call the engine.
 *
 * Concurrent calls: runs in different folders may run at the same time on
 * different threads of one process, each with records of its own; their
 * reports and graphic data files are those that each would write alone. A
 * call for a folder in which another call of this process is running (the
 * same folder under any name: ITERVA's is the current folder) is refused with
 * 4, and so is an ITERVA call while another ITERVA call runs. Runs of other
 * processes are not seen: the caller keeps two processes out of one folder.
 * The console prompts and standard error are the process's.
 */
#ifndef TERVA_ITERVA_H
#define TERVA_ITERVA_H

#include <stdint.h>

#if defined(_WIN32)
#define TERVA_EXPORT __declspec(dllexport)
#else
#define TERVA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

TERVA_EXPORT int32_t ITERVA(int32_t key);
TERVA_EXPORT int32_t _ITERVA(int32_t key);
TERVA_EXPORT void ITERVA_PROGRESS(int* done, int* total);
TERVA_EXPORT void _ITERVA_PROGRESS(int* done, int* total);

/* The progress callback of terva_run. */
typedef void (*terva_progress_fn)(int done, int total, void* user);

/* Return code of a refused call (see above). */
#define TERVA_RUN_REFUSED 4

TERVA_EXPORT int32_t terva_run(const char* folder, terva_progress_fn progress, void* user);

#ifdef __cplusplus
}
#endif

#endif /* TERVA_ITERVA_H */
