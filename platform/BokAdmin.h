// Administration of the platform stand-in's store: what bokctl does, as a
// library so that tests can build any case.
//
// The store is "<home>/bok.db" (SQLite).  The readable import format is
// described in the README ("Company data files").  Texts of AdminError and
// of DescribeStore are UTF-8.
#pragma once

#include <string>

namespace bok {

struct AdminError {
    int line = 0;         // 1-based line of the import file, 0 when none
    std::string field;    // the field named in the refusal, may be empty
    std::string message;  // UTF-8, for people
};

// Creates the home folder and an empty store (the schema), keeping a store
// that is already there.
bool CreateStore(const std::string& home, AdminError* error);

// A complete sample home: the store with a sample company (a few dozen
// assets over every method), the eras 明治 to 令和, a signed-in user with a
// selected data set, the application folders and the drive table.
bool InitSample(const std::string& home, AdminError* error);

// Loads company data, users, eras, folders and assets from a readable UTF-8
// file into the store of home, in one transaction: a refused file changes
// nothing.
bool ImportFile(const std::string& home, const std::string& file, AdminError* error);
bool ImportText(const std::string& home, const std::string& text, AdminError* error);

// The README's table of the [asset] keys (Markdown, UTF-8, one row a line),
// made from the platform's own table of asset columns, so that a test can
// hold the README to what the import and the store do.
std::string AssetKeyTable();

// A made-up company of the given number of assets in the import format,
// the same text for the same number: data set "GEN01" (number 1, period
// 2024, both business kinds) with a signed-in user that selects it, the
// eras 明治 to 令和 and the two application folders on drive C.  The assets
// mix every method, both categories, excluded kinds, disposals before and
// within the year, small-amount assets of this and earlier years, negative
// and zero expenses, escaped characters and names longer than a schedule
// field, so that every filter and figure of a run has work.  For benchmarks
// and for tests that need a large company.
std::string GeneratedCompanyText(long assets);

// The operations SetFault accepts, null-terminated: Initiate, ExpSysLink,
// GetCurUserID, GetSelectedNo, GetDatCursor, ReadyDat, WalkDat,
// GetBokPeriod, GetPeriod, Gengo.GetCursor, Gengo.Ready, Gengo.Walk,
// MoveReady, GetCount, Move.  The walks (WalkDat, Gengo.Walk, Move) honour
// atIndex; the others answer on every call.
extern const char* const kFaultOperations[];

// Makes an operation answer a status: on every call (atIndex -1), or for
// the walk operations only at that record index.
bool SetFault(const std::string& home, const std::string& operation, long status, long atIndex, AdminError* error);
bool ClearFaults(const std::string& home, AdminError* error);

// A short listing of the store for people: data sets, users, eras,
// folders, the asset count and the faults.
bool DescribeStore(const std::string& home, std::string* listing, AdminError* error);

// For tests in one process: forget the open store and every singleton's
// state, so that the next platform call opens $BOK_HOME afresh.
void ResetForTests();
// Cursors opened and not yet released (data and era sets).
int OpenCursorCount();

}  // namespace bok
