-- Presents the call-detail records that Asterisk writes into its table cdr
-- (the classic layout: calldate DATETIME, src, dst, channel, dstchannel,
-- duration, disposition, uniqueid, ...) as the table CDRMAIN the tool reads,
-- on MariaDB. Load cdr_trunk_prefix.sql first, then this file, into the
-- database that holds cdr:
--   mariadb asterisk < tools/views/cdr_trunk_prefix.sql
--   mariadb asterisk < tools/views/asterisk_mariadb.sql
--
-- Speed: every day statement filters on StartTime and on the endpoint types,
-- so cdr gets columns of its own for what the statements read, and one index
-- that holds them all (cdr_day_scan): MariaDB then answers each day from the
-- index alone, as from a table CDRMAIN of its own. start_epoch, the session
-- number and the day are computed by MariaDB when a row is written; the
-- endpoint types come from cdr_trunk_prefix, which a computed column cannot
-- read, so a trigger stores them when Asterisk writes a row (Asterisk writes
-- only the columns it knows, so it leaves these alone), and this file fills
-- them in for the rows already there. Looking the types up anew for every
-- row of every day made a year's check fifteen times slower.
--
-- After changing cdr_trunk_prefix, store the types again (or load this file
-- again, which does the same):
--   UPDATE cdr SET caller_type = cdr_endpoint_type(channel),
--                  target_type = cdr_endpoint_type(dstchannel);
--
-- Time zone: Asterisk writes calldate as the wall-clock time of the phone
-- system, without a zone. UNIX_TIMESTAMP reads it in the zone of the
-- session that writes the row, which is the server's time_zone (SYSTEM: the
-- zone of the machine) unless a client sets another. So the epoch seconds
-- are right when the database server runs in the zone of the phone system,
-- and the tool must run in that zone too (TZ), since it cuts days at its own
-- local midnight. A server in another zone: set its global time_zone to the
-- phone system's before loading this file. Where the clock turns back,
-- calldate cannot tell the two hours apart; their calls are read as one.
--
-- Statements are separated by ";" and contain none. Running the file again
-- replaces the view, the function and the trigger, keeps the columns and the
-- indexes, and stores the types again. Loading it on a server that writes a
-- binary log needs the right to create functions (SUPER, or
-- log_bin_trust_function_creators).
-- The endpoint type of a channel name: the type of the longest prefix in
-- cdr_trunk_prefix that begins it, 1 (an extension) when none does.
CREATE OR REPLACE FUNCTION cdr_endpoint_type(channel VARCHAR(80)) RETURNS INTEGER
  READS SQL DATA
  RETURN COALESCE((SELECT p.endpoint_type FROM cdr_trunk_prefix p
                   WHERE LEFT(channel, CHAR_LENGTH(p.prefix)) = p.prefix
                   ORDER BY CHAR_LENGTH(p.prefix) DESC LIMIT 1), 1);
ALTER TABLE cdr
  ADD COLUMN IF NOT EXISTS start_epoch BIGINT AS (UNIX_TIMESTAMP(calldate)) PERSISTENT,
  -- uniqueid is "epoch.sequence" (with the system name in front when one
  -- is set). Its trailing digits are the number the tool shows per call.
  ADD COLUMN IF NOT EXISTS cdr_session_id BIGINT AS
    (COALESCE(CAST(NULLIF(REGEXP_SUBSTR(uniqueid, '[0-9]{1,9}$'), '') AS SIGNED), 0)) PERSISTENT,
  ADD COLUMN IF NOT EXISTS local_day CHAR(8) AS
    (CAST(YEAR(calldate) * 10000 + MONTH(calldate) * 100 + DAYOFMONTH(calldate) AS CHAR(8))) PERSISTENT,
  ADD COLUMN IF NOT EXISTS caller_type INTEGER,
  ADD COLUMN IF NOT EXISTS target_type INTEGER,
  ADD INDEX IF NOT EXISTS cdr_day_scan (start_epoch, duration, caller_type, target_type, disposition, cdr_session_id,
                                         src, dst),
  ADD INDEX IF NOT EXISTS cdr_local_day (local_day);
CREATE OR REPLACE TRIGGER cdr_endpoint_types BEFORE INSERT ON cdr FOR EACH ROW
  SET NEW.caller_type = cdr_endpoint_type(NEW.channel), NEW.target_type = cdr_endpoint_type(NEW.dstchannel);
UPDATE cdr SET caller_type = cdr_endpoint_type(channel), target_type = cdr_endpoint_type(dstchannel);
CREATE OR REPLACE VIEW CDRMAIN AS
SELECT StartTime, StartTime + duration AS EndTime, SessionID, CallerNum, TargetNum, ExitState,
       CallerType, TargetType,
       CASE WHEN CallerType >= 7 THEN 1 WHEN TargetType >= 7 THEN 2 ELSE 0 END AS Direction,
       LocalDay, BilledSeconds
FROM (
  SELECT
    c.start_epoch AS StartTime,
    c.duration,
    -- The billed time (answer to hang-up), for those who count it: the
    -- trunk is held for duration, ringing included, which the tool counts.
    c.billsec AS BilledSeconds,
    c.cdr_session_id AS SessionID,
    c.src AS CallerNum,
    c.dst AS TargetNum,
    -- The exit states of the tool: 4 RNA, 5 BUSY, 8 CONNECT, 21 ALL_TRK_BUSY
    -- (no circuit free), 22 NO_SESSION (the call could not be placed).
    CASE c.disposition
      WHEN 'ANSWERED' THEN 8
      WHEN 'BUSY' THEN 5
      WHEN 'NO ANSWER' THEN 4
      WHEN 'CONGESTION' THEN 21
      WHEN 'FAILED' THEN 22
      ELSE 0
    END AS ExitState,
    c.caller_type AS CallerType,
    c.target_type AS TargetType,
    c.local_day AS LocalDay
  FROM cdr c
) AS calls
