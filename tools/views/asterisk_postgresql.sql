-- Presents the call-detail records that Asterisk writes into its table cdr
-- (the classic layout: calldate TIMESTAMP, src, dst, channel, dstchannel,
-- duration, disposition, uniqueid, ...) as the table CDRMAIN the tool reads,
-- on PostgreSQL. Load cdr_trunk_prefix.sql first, then this file, into the
-- database that holds cdr:
--   psql -d asterisk -f tools/views/cdr_trunk_prefix.sql
--   psql -d asterisk -f tools/views/asterisk_postgresql.sql
--
-- Time zone: Asterisk writes calldate as the wall-clock time of the phone
-- system, a timestamp without zone. cdr_zone() below names that zone, and
-- cdr_epoch reads calldate in it, whatever zone the server or the reading
-- session is in. Before loading, put the zone of the phone system there (a
-- name such as 'Europe/Berlin', so that summer time is followed), and run
-- the tool in the same zone (TZ), since it cuts days at its own local
-- midnight. Where the clock turns back, calldate cannot tell the two hours
-- apart, and their calls are read as one.
--
-- Speed: every day statement filters on StartTime. With the zone fixed,
-- cdr_epoch depends on its argument alone, so an index on
-- cdr_epoch(calldate) serves those conditions through the view.
--
-- Statements are separated by ";" and contain none. Running the file again
-- (after changing the zone, say) replaces the functions and the view and
-- builds the index anew, so that it holds the seconds of the zone named.
CREATE OR REPLACE FUNCTION cdr_zone() RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT text 'UTC' $$;
CREATE OR REPLACE FUNCTION cdr_epoch(calldate timestamp) RETURNS integer LANGUAGE sql IMMUTABLE
  AS $$ SELECT CAST(floor(extract(epoch FROM calldate AT TIME ZONE cdr_zone() AT TIME ZONE 'UTC')) AS integer) $$;
DROP INDEX IF EXISTS cdr_start_epoch;
CREATE INDEX cdr_start_epoch ON cdr (cdr_epoch(calldate));
CREATE OR REPLACE VIEW CDRMAIN AS
SELECT StartTime, StartTime + duration AS EndTime, SessionID, CallerNum, TargetNum, ExitState,
       CallerType, TargetType,
       CASE WHEN CallerType >= 7 THEN 1 WHEN TargetType >= 7 THEN 2 ELSE 0 END AS Direction,
       LocalDay, BilledSeconds
FROM (
  SELECT
    cdr_epoch(c.calldate) AS StartTime,
    c.duration,
    -- The billed time (answer to hang-up), for those who count it: the
    -- trunk is held for duration, ringing included, which the tool counts.
    c.billsec AS BilledSeconds,
    -- uniqueid is "epoch.sequence" (with the system name in front when one
    -- is set). Its trailing digits are the number the tool shows per call.
    COALESCE(CAST(substring(c.uniqueid FROM '[0-9]{1,9}$') AS integer), 0) AS SessionID,
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
              WHERE left(c.channel, length(p.prefix)) = p.prefix
              ORDER BY length(p.prefix) DESC LIMIT 1), 1) AS CallerType,
    COALESCE((SELECT p.endpoint_type FROM cdr_trunk_prefix p
              WHERE left(c.dstchannel, length(p.prefix)) = p.prefix
              ORDER BY length(p.prefix) DESC LIMIT 1), 1) AS TargetType,
    to_char(c.calldate, 'YYYYMMDD') AS LocalDay
  FROM cdr c
) AS calls
