/* Entry point of the analysis engine Terva3-comp.
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
 * run writes exactly the report and the graphic data file.
 *
 * Numbers are read and written with "." as the decimal point whatever the
 * locale of the calling process.
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
 *      completely - all are then removed and a message goes to standard error;
 *      a run that returns anything but 0 leaves no results file
 *
 * The engine is not re-entrant: one call at a time per process. Within a call
 * the frequencies of piles and multilayer columns are analysed on worker
 * threads, one per core, or as many as the environment variable TERVA_THREADS
 * says for any foundation (1: all on the calling thread);
 * the report and the graphic data file are the same whatever the count. The
 * workers have ended when ITERVA returns. _ITERVA is the same function under
 * its second exported name.
 *
 * ITERVA_PROGRESS (and _ITERVA_PROGRESS) may be called from any thread while
 * ITERVA runs on another: *done is the number of frequencies finished so far
 * (computed, whichever worker finished them, and never going back),
 * *total the number of frequencies of the run; both are 0 while no frequency
 * loop is running (before it starts, after ITERVA has returned, and in a run
 * that ends before its analysis). A null pointer is left alone.
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

#ifdef __cplusplus
}
#endif

#endif /* TERVA_ITERVA_H */
