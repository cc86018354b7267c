-- Table CDRMAIN as the phone system writes it: one call-detail record per
-- call. Every column the tool reads or the sample record fills, in types that
-- every backend we run on accepts. Statements are separated by ";".
CREATE TABLE CDRMAIN (
  EndTime INTEGER, SessionID INTEGER, ConfSessionID INTEGER, TrunkCall INTEGER,
  OutGoingWG INTEGER, HoldDuration INTEGER, AbnTargetType INTEGER, CallerSiteNodeId INTEGER,
  EndSKLR INTEGER, CallerDepart VARCHAR(64), TargetTenant VARCHAR(64), TargetWGNum INTEGER,
  DNIS VARCHAR(64), CallerType INTEGER, CallerPad VARCHAR(64), TargetPad VARCHAR(64),
  AccountCode VARCHAR(64), AADuration INTEGER, AnswerWithinSLT INTEGER, ExitState INTEGER,
  StartPriority INTEGER, TargetType INTEGER, CalleeSiteNodeId INTEGER, DayOfWeek INTEGER,
  SequenceID INTEGER, CallerName VARCHAR(64), MMCallType INTEGER, AdvQAppType INTEGER,
  IVRData VARCHAR(255), StartTime INTEGER, TargetName VARCHAR(64), CallerNum VARCHAR(64),
  CallerProject INTEGER, TargetNum VARCHAR(64), TargetProject INTEGER, UserData VARCHAR(255),
  LocalDay VARCHAR(8), Direction INTEGER
);
-- Every column the day selects and the month sums read, StartTime first:
-- both are answered from this index alone, without reading the table.
CREATE INDEX CDRMAIN_DayScan ON CDRMAIN (StartTime, EndTime, CallerType, TargetType, Direction, ExitState, SessionID,
                                         CallerNum, TargetNum);
CREATE INDEX CDRMAIN_LocalDay ON CDRMAIN (LocalDay);
