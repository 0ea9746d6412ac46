// Reading a stored scheme file into a scheme array by key, so that a style
// that adds, drops or reorders keys keeps the values stored under the old one.
// The files themselves are unchanged: raw records in the order they were
// written, read through keyValFromFile.
#ifndef SENSORDLL_STORAGE_SCHEME_MERGE_H
#define SENSORDLL_STORAGE_SCHEME_MERGE_H

#include "SensorTypes.h"
#include "diag/SensorReport.h"

// The most records a scheme holds: the capacity of the factory set, and the
// most records read from a stored scheme file.
const u32 SCHEME_KEY_CAPACITY = 170;

// Sets the values of p_pScheme (p_nKeyValSum records in the current key
// order) from p_pStored (p_nStoredSum records as a file holds them). The n-th
// stored record of a key sets the n-th record of that key in the scheme, so a
// file in the current key order gives exactly its own records; a key the file
// lacks keeps its value; a stored key the scheme does not hold, and a key
// stored more often than the scheme holds it (past its first records), is
// dropped. The scheme's keys and order never change. Returns the number of
// stored records dropped.
u32 mergeStoredRecords(KeyVal* p_pScheme, u32 p_nKeyValSum, const KeyVal* p_pStored, u32 p_nStoredSum);

// Reads the scheme file (at most SCHEME_KEY_CAPACITY records) and merges it into
// p_pScheme, which holds the values to keep where the file has none. Reports
// a file whose layout is not the scheme's (a style change) through
// SENSOR_WARN; keyValFromFile reports a failed open or a short read. Returns
// the number of records read, or -1 when the file could not be opened or
// fewer records arrived than it holds; what did arrive is merged all the same.
// p_stCaller: the operation the warning is given to.
int keyValFromFileByKey(char* file_name, KeyVal* p_pScheme, u32 p_nKeyValSum, const SensorReportCaller& p_stCaller);

#endif
