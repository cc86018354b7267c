-- Tables IVRCALL and IVRDETAIL of the IVR application's database, the same
-- in the live and the backup database, in types that every backend we run on
-- accepts. TimeStamp holds the local date and time as YYYYMMDDhhmmss.
-- Statements are separated by ";". The backup database also carries the
-- worker's move journal IVRMOVE, which the worker creates itself
-- (src/ivrlog/move_journal.cpp).
CREATE TABLE IVRCALL (
  CallId INTEGER, TimeStamp VARCHAR(14), CallerNum VARCHAR(32), DialedNum VARCHAR(32),
  Duration INTEGER, Charge DOUBLE PRECISION, Result VARCHAR(16), Transcript VARCHAR(300)
);
CREATE TABLE IVRDETAIL (
  CallId INTEGER, TimeStamp VARCHAR(14), StepNo INTEGER, Menu VARCHAR(64), KeyPressed VARCHAR(8),
  Note VARCHAR(300)
);
CREATE INDEX IVRCALL_TimeStamp ON IVRCALL (TimeStamp);
CREATE INDEX IVRDETAIL_TimeStamp ON IVRDETAIL (TimeStamp);
