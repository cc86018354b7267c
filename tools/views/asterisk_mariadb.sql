-- Presents the call-detail records that Asterisk writes into its table cdr
-- (the classic layout: calldate DATETIME, src, dst, channel, dstchannel,
-- duration, disposition, uniqueid, ...) as the table CDRMAIN the tool reads,
-- on MariaDB. Load cdr_trunk_prefix.sql first, then this file, into the
-- database that holds cdr:
--   mariadb asterisk < tools/views/cdr_trunk_prefix.sql
--   mariadb asterisk < tools/views/asterisk_mariadb.sql
--
-- Speed: every day statement filters on StartTime, so StartTime must come
-- from an index. cdr gets a column of its own for it, start_epoch, which
-- MariaDB computes when a row is written (Asterisk writes only the columns
-- it knows, so it leaves this one alone), and an index on it. Without them
-- MariaDB would read the whole of cdr for every day of the year it checks.
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
-- replaces the view and keeps the column and the index.
ALTER TABLE cdr
  ADD COLUMN IF NOT EXISTS start_epoch BIGINT AS (UNIX_TIMESTAMP(calldate)) PERSISTENT,
  ADD INDEX IF NOT EXISTS cdr_start_epoch (start_epoch);
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
    -- uniqueid is "epoch.sequence" (with the system name in front when one
    -- is set). Its trailing digits are the number the tool shows per call.
    COALESCE(CAST(NULLIF(REGEXP_SUBSTR(c.uniqueid, '[0-9]{1,9}$'), '') AS SIGNED), 0) AS SessionID,
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
    COALESCE((SELECT p.endpoint_type FROM cdr_trunk_prefix p
              WHERE LEFT(c.channel, CHAR_LENGTH(p.prefix)) = p.prefix
              ORDER BY CHAR_LENGTH(p.prefix) DESC LIMIT 1), 1) AS CallerType,
    COALESCE((SELECT p.endpoint_type FROM cdr_trunk_prefix p
              WHERE LEFT(c.dstchannel, CHAR_LENGTH(p.prefix)) = p.prefix
              ORDER BY CHAR_LENGTH(p.prefix) DESC LIMIT 1), 1) AS TargetType,
    DATE_FORMAT(c.calldate, '%Y%m%d') AS LocalDay
  FROM cdr c
) AS calls
