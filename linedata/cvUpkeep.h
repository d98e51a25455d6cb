// Upkeep loaders of the line database: the element table from its GEDA files (TBMEND, ABUND) into
// MEND and the table "Atoms", the bibliography and the service table from text tables, and the
// multiplet files into "Multi". A malformed line of a file is reported with the file, the line
// and the column, and passed over; every other line still loads.
#pragma once
#include <cstdint>
#include <string>

class TDM;
class TJob;

// TBMEND (the periodic table) into the element records of MEND.
void LoadTBMend();
void LoadTBMendFrom(const std::string& FileName);
// MEND into the table "Atoms".
void MendToAtoms();
void LdMend();
// The standard abundance string of ABUND: symbol and value pairs in file order.
void LoadAbund(std::string& AbundString);
void LoadAbundFrom(const std::string& FileName, std::string& AbundString);
// LoadAbund, then MEND->SetStdAbund.
void AbundToMend();
// The abundances of MEND into the field ABUND of "Atoms".
void AbundToAtoms();
void LoadAbundAndPost();
// "BIBL\Authors.txt", "BIBL\Mags.txt", "BIBL\Sources.txt" into "Authors", "Mags", "SOURCES".
void LoadRefers();
// "SYS\Tabs.txt" into "Tabs".
void LoadTabs();
// One multiplet file into "Multi" for the element Atom (two characters) and stage NIon.
void LoadMulti(const std::string& FileName, const std::string& Atom, int32_t NIon);
// The six multiplet files of the installation (under "LIN\").
void LoadMultiFiles();
// The database parts of the loaders as jobs on the job's own data module: one transaction each
// (a cancel or a failure leaves the tables as they were), progress per table or file; false when
// cancelled. The element table MEND is filled before, on the window's thread (LoadTBMend,
// AbundToMend).
bool MendToAtoms(TJob& Job, TDM& D);
bool AbundToAtoms(TJob& Job, TDM& D);
bool LoadRefers(TJob& Job, TDM& D);
bool LoadTabs(TJob& Job, TDM& D);
bool LoadMultiFiles(TJob& Job, TDM& D);

// N Gaussian random numbers (deviation Sigma, cut at +-A x Sigma); mode 1 takes sign x sqrt|x|,
// mode 2 sign x x^2; the list goes to the editor under "TestRandomGauss".
void TestRandomGauss(int32_t N, int32_t Mode, double Sigma, double A);

// The line-data layer's start and end: the element table and the data module.
void LineDataUnitStart();
void LineDataUnitEnd();
// The start-up step of the application's initialisation: the element table's load, then the
// database connection (created with its element table on first use).
void LineDataInitStep();
