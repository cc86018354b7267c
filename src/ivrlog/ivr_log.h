// CIvrLog: the maintenance worker of the IVR application's database.
//
// A host opens `liveSession` on the live IVR database, posts messages (SQL
// statements, or requests for the two maintenance steps) and calls Run
// again and again, for example once a minute. Each Run handles the messages
// posted before it, in order, hands their buffers back to MessagePool and
// then lets the nightly schedule advance:
//
//   01:00-01:59  every Run arms the schedule;
//   02:00-02:59  each Run takes one step of twelve: the 1st moves the rows
//                dated before the retention month (`retainMonths` back) from
//                the live tables IVRCALL and IVRDETAIL into the backup
//                database, the 3rd sets the backup database file aside when
//                it reaches back `retainMonths` + `backupRetainMonths`
//                months, the 7th closes `liveSession`, the 12th reports
//                "Midnight task is done" and disarms the schedule.
//
// Every row is moved exactly once: live rows are deleted only after every
// one of them was copied exactly into the backup, and nothing is committed
// unless the deletion removed exactly the rows copied. Failures are
// reported through Trace under the module "IvrLog" and leave both databases
// as they were. A crash (or a failed commit of the deletion) between the
// commit of the copies and that of the deletion leaves the rows in both for
// a while: the backup's move journal (IVRMOVE, ivrlog/move_journal.h),
// committed with the copies, tells the next run to delete them without
// copying them again. That run relies on no row older than the cut-off (a
// month start, `retainMonths` back) being added to the live tables
// meanwhile; it compares the number of such rows with the number copied
// and refuses to go on when they differ.
//
// Progress lines go to standard output. Everything runs on the thread that
// calls Run; only the queue is shared with producers, under `queueLock`.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <string>

#include "db/osql.h"
#include "ivrlog/worker.h"
#include "ivrlog/worker_message.h"
#include "platform/local_time.h"

class CIvrLog : public CWorker {
 public:
  CIvrLog();
  // Empties the queue without returning its buffers to the pool. Closes no
  // session: the owner disconnects them.
  ~CIvrLog() override;

  // Takes every pending message under `queueLock` (waiting at most 15
  // seconds, and going on without the lock when it cannot be had or does
  // not exist), handles them oldest first, returns each buffer to
  // MessagePool whatever its outcome, then runs CheckSchedule. Returns 1.
  //
  // When `stopRequested` is set, the messages not yet begun are handed back
  // unhandled and counted in `messagesLeftOnStop`, and the schedule does
  // not advance.
  //
  // Types 2, 3, 4: nothing. 10: BackupOldRows. 11: RotateBackupFile. Any
  // other type: its text, exactly `length` bytes, is executed on
  // `liveSession` and the outcome is not examined (a closed session or a
  // length of 0 or less executes nothing).
  int32_t Run() override;

  // --- Host side ---

  // Opens `liveSession` on data source `dsn` with an empty user and
  // password. 1 open, 0 failed.
  int OpenLiveSession(const char* dsn);

  // Appends `message` (taken from MessagePool) to the queue. When
  // `queueLock` exists the message is appended only while holding it: 0
  // when it cannot be had within 15 seconds, and for a null message; the
  // caller still owns the buffer then. 1 posted.
  int PostWorkerMessage(WorkerMessage* message);

  // --- The nightly schedule ---

  // Reads the local time: in hour 1 arms the schedule (`scheduleStep` 1),
  // in hour 2 runs AdvanceSchedule, otherwise nothing; except on a night
  // whose clock goes from 02:00 straight to 03:00, when the first call in
  // hour 3 that finds the schedule armed takes all of the night's steps.
  void CheckSchedule();

  // When armed, advances `scheduleStep` by one and takes the step it was
  // on: 1 BackupOldRows, 3 RotateBackupFile, 7 closes `liveSession`, 12
  // reports "Midnight task is done" and sets `scheduleStep` to 0.
  void AdvanceSchedule();

  // In a month later than that of `lastRunDate` (or with no date kept),
  // moves the rows older than the first day of the month `retainMonths`
  // back from IVRCALL, then IVRDETAIL, into the backup database, connecting
  // `backupSession` for the time of it when it is closed. Both tables are
  // judged first, as CopyOldRows judges one: when either is refused, no row
  // of either moves, so that a call never stays live while its details are
  // in the backup. When both tables were moved, keeps today's date in
  // `lastRunDate` and returns 1; else 0.
  int BackupOldRows();

  // When the first call in the backup database lies in the month that began
  // `retainMonths` + `backupRetainMonths` months back or earlier, sets the
  // backup database file aside under its set-aside name (stamped with its
  // first and last call dates) and puts a copy of `newBackupSourcePath`, for
  // its tables, in its place. Nothing is touched unless the backup data
  // source is shown to open `backupFilePath` itself (links followed): a
  // server database, or a data source that opens another file, is refused
  // (reported). The copy is made, put in rollback-journal mode and its
  // IVRCALL and IVRDETAIL emptied under a name of its own beside the file
  // (the file's name, ".new-" and the process number); then the old file
  // takes its set-aside name, which must not exist, and the copy, checked to
  // be the file this run made, takes the file's name in one rename, so that
  // at every instant the backup file is the old one or the new one. The old
  // file is set aside only when its write-ahead log is wholly in it and no
  // other connection has it open in that mode (no "-wal" or "-shm" file
  // remains once `backupSession` is closed); else nothing changes
  // (reported, 0). What a run stopped midway left (a copy not yet in place,
  // with its journal; set-aside names already given to the file, of any
  // dates) is undone first. The host runs one rotation of a file at a time.
  // The new file has no move journal; an unfinished move in the backup
  // database keeps it from being set aside (reported, 0) until the next
  // BackupOldRows finishes it.
  // `backupSession` is closed afterwards on every path. 1 when the file was
  // set aside, else 0. With an empty `backupFilePath` (a backup database on
  // a server, which has no file) nothing is done.
  int RotateBackupFile();

  // Copies every row of `table` dated before `cutoff` (TimeStamp below
  // YYYYMMDD000000 of that date), each value exactly as stored, into the
  // same table of `backupSession` in one open unit, together with an
  // unfinished entry of the move journal (created in the backup database
  // when missing), and deletes those rows from `liveSession` in another.
  // Only when the number deleted is the number copied are both committed,
  // the backup first, and the entry is then noted finished; otherwise both
  // are undone. An unfinished entry of `table` left by an earlier run is
  // finished first: when the live table holds exactly as many rows older
  // than that entry's cut-off as it copied, they are deleted without being
  // copied again; when it holds none, the entry is only noted; any other
  // number is reported and nothing is copied or deleted (0). The backup's
  // table must have the live table's columns first, in their order, of the
  // same names and kinds of values (ColumnDifference, db/table_columns.h),
  // and both tables and the journal must roll back (db/table_engine.h: not
  // MyISAM or Aria); else it takes nothing and the reason, naming the
  // column or the engine, is reported. 1 when all old rows were moved (also when there
  // were none), 0 when nothing was deleted.
  int CopyOldRows(const char* table, const SYSTEMTIME& cutoff);

  // --- Dates ---

  // The first day of the month `months` (0..24) before the current local
  // month. Prints "Today is ..." for a count in range and "Retain ..." on
  // success. 0 (and `out` cleared) for a count out of range or a current
  // year before 2000.
  int RetainBeginDate(SYSTEMTIME* out, int32_t months);

  // `begin`: the first day of the month `liveMonths` + `backupMonths` back;
  // `end`: `backupMonths` months after `begin`. Prints "Backup retain ..."
  // on success. 0 (both cleared) when a count is outside 0..24 or their sum
  // above 24.
  int BackupRetainRange(SYSTEMTIME* begin, SYSTEMTIME* end, int32_t liveMonths, int32_t backupMonths);

  // Sets the year, month and day of `out` from the first eight characters
  // of `text` (YYYYMMDD, each field read as a leading decimal integer; the
  // other fields of `out` are kept). 0, `out` unchanged, for a null text or
  // one shorter than 8 characters.
  int ParseDateText(const char* text, SYSTEMTIME* out);

  // 1 when no last-run date is kept or the current month is later than its
  // month, else 0.
  int IsNewMonth();

  int32_t retainMonths = 3;
  int32_t backupRetainMonths = 6;
  std::list<WorkerMessage*> pendingMessages;  // oldest first
  int32_t firstSetting = 0;
  int32_t secondSetting = 1;
  int32_t scheduleStep = 0;  // 0 idle, 1 armed, 2..12 running
  OSql liveSession;
  OSql backupSession;

  // Steps of the night (BackupOldRows, RotateBackupFile) that failed, each
  // reported through Trace; a step that finds nothing to do has not failed.
  // Counted for the host, which tells from it how a night went.
  int32_t failedSteps = 0;

  // Set from another thread (a stop signal) to end the work after the step
  // in progress.
  std::atomic<bool> stopRequested = false;
  int32_t messagesLeftOnStop = 0;

  // Date (YYYYMMDD) of the last BackupOldRows that moved both tables; empty
  // while none did.
  char lastRunDate[16] = {};

  // Where the backup database lives. The data source must reach the file
  // `backupFilePath`, whose set-aside copies are named
  // "<setAsidePrefix>_YYYYMMDD_YYYYMMDD<setAsideExtension>" (first and last
  // call dates; the extension ".mdb" unless a host names another); a
  // new backup file is a copy of `newBackupSourcePath`.
  std::string backupDataSource;
  std::string backupFilePath;
  std::string setAsidePrefix;
  std::string setAsideExtension;
  std::string newBackupSourcePath;

  // When set, called in CopyOldRows after the old rows of `table` are
  // copied into the backup (not yet committed) and before they are deleted
  // from the live table, so that a host can observe (or a test disturb)
  // that moment.
  void (*rowsCopiedHook)(CIvrLog& worker, const char* table) = nullptr;

 private:
  void Handle(WorkerMessage* message);
  // True when `backupSession` opened `backupFilePath`; else reported.
  bool BackupSessionReachesItsFile();
  // True when the log of the backup file (write-ahead-log mode) is wholly
  // in the file and empty; else reported.
  bool BackupFileCheckpointed();
  // True when the move journal of `backupSession` has no unfinished entry
  // (move_journal.h); else reported.
  bool BackupHasNoUnfinishedMove();
  // Copies `newBackupSourcePath` to `newFile` and empties its tables; on
  // failure reported and the copy removed.
  bool PrepareNewBackupFile(const std::string& newFile);
  // Empties IVRCALL and IVRDETAIL of the file `newFile` through the open
  // backup session; true when both are empty.
  bool EmptyNewBackupFile(const std::string& newFile);
  // The first and last call dates of a backup database that is due to be
  // set aside: 1 due, 0 not due (or empty), -1 (reported) when the range or
  // the dates cannot be had.
  int FindSetAsideRange(SYSTEMTIME* first, SYSTEMTIME* last);
};

// The maintenance worker of the program; idle unless a host drives it.
extern CIvrLog IvrLog;
