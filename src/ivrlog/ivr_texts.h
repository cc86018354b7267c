// The names, statements and report texts of the IVR maintenance worker.
#pragma once

// Module name of the worker's reports.
inline constexpr char kIvrLogModule[] = "IvrLog";

// The live tables whose old rows move to the backup database, in the order
// they are moved.
inline constexpr char kCallTable[] = "IVRCALL";
inline constexpr char kDetailTable[] = "IVRDETAIL";

// Defaults of the backup database's data source and files.
inline constexpr char kBackupDataSource[] = "SarvoIVR_bak";
inline constexpr char kBackupFilePath[] = "C:\\OrviDB\\InternalDB\\SarvoIVR_bak.mdb";
inline constexpr char kSetAsidePrefix[] = "C:\\OrviDB\\InternalDB\\SarvoIVR_bak";
inline constexpr char kSetAsideExtension[] = ".mdb";
inline constexpr char kNewBackupSourcePath[] = "C:\\SarvoIVR\\SarvoIVR.mdb";
// Appended to the set-aside prefix: first and last call dates (then the
// extension).
inline constexpr char kSetAsideSuffixFormat[] = "_%04d%02d%02d_%04d%02d%02d";

// Rows older than a cut-off (its stamp YYYYMMDD000000): one condition for
// selecting, counting and deleting, so that all three always mean the same
// rows.
inline constexpr char kCutoffStampFormat[] = "%04d%02d%02d000000";
inline constexpr char kOldRowsCondition[] = "where TimeStamp < '%s'";
inline constexpr char kDeleteOldRows[] = "DELETE FROM %s %s";
inline constexpr char kCountOldRows[] = "SELECT count(*) FROM %s %s";

// Local date and time of a move journal entry.
inline constexpr char kJournalStampFormat[] = "%04d%02d%02d%02d%02d%02d";

// A new backup file starts as a copy of the live database file, for its
// tables; their rows are deleted and counted before it takes any copies.
inline constexpr char kDeleteAllRows[] = "DELETE FROM %s";
inline constexpr char kCountRows[] = "SELECT count(*) FROM %s";

inline constexpr char kFirstCallQuery[] = "SELECT Min(TimeStamp) AS Expr1 FROM IVRCALL;";
inline constexpr char kLastCallQuery[] = "SELECT Max(TimeStamp) AS Expr1 FROM IVRCALL;";

// Date of the last completed backup, as IsNewMonth reads it.
inline constexpr char kRunDateFormat[] = "%04d%02d%02d";

// Lines under which the worker's reports appear in the trace.
enum IvrReportLine {
  kLineMidnightDone = 273,
  kLineBackupOpen = 290,
  kLineSelectOld = 330,
  kLineBackupColumns = 332,
  kLineColumnMismatch = 333,
  kLineTableEngine = 334,
  kLineCopyStart = 335,
  kLineReadOld = 338,
  kLineInsertCopy = 340,
  kLineJournal = 342,
  kLineCommitCopy = 345,
  kLineDeleteStart = 350,
  kLineDeleteCount = 355,
  kLineDeleteCommit = 360,
  kLineDeleteUndo = 365,
  kLineUnfinishedMove = 370,
  kLineUnfinishedMismatch = 375,
  kLineRetainRange = 407,
  kLineFirstCall = 414,
  kLineLastCall = 430,
  kLineEmptyNewBackup = 445,
  kLineUndoRotation = 450,
  kLineSetAside = 455,
  kLineNewBackupFile = 460,
  kLineBackupFileMatch = 465,
  kLineMoveUnfinished = 470,
  kLineBackupFileInUse = 475,
};
