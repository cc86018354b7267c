-- The peer on PostgreSQL: the same query as peer_sqlite.sql (read its
-- header for the rules it follows), in PostgreSQL's dialect.
-- Variables: first, the first day's midnight; stop, the midnight after the
-- last day (psql -v first=... -v stop=...).
WITH calls AS (
  SELECT StartTime AS s, EndTime AS e,
         (StartTime - :first) / 86400 AS day,
         CASE WHEN CallerType >= 7 AND TargetType >= 7 THEN 2 ELSE 1 END AS w
  FROM CDRMAIN
  WHERE StartTime >= :first AND StartTime < :stop
    AND (CallerType >= 7 OR TargetType >= 7)
    AND EndTime - StartTime >= 2
    AND EndTime < :first + ((StartTime - :first) / 86400 + 1) * 86400
),
changes AS (
  SELECT day, s AS t, w AS delta FROM calls
  UNION ALL
  SELECT day, e AS t, -w AS delta FROM calls
),
occupancy AS (
  SELECT day, t, SUM(delta) OVER (PARTITION BY day ORDER BY t RANGE UNBOUNDED PRECEDING) AS n
  FROM changes
),
peaks AS (
  SELECT day, t, n, ROW_NUMBER() OVER (PARTITION BY day ORDER BY n DESC, t) AS rank
  FROM occupancy
)
SELECT n, to_char(to_timestamp(t) AT TIME ZONE 'UTC', 'YYYY/MM/DD HH24:MI:SS')
FROM peaks
WHERE rank = 1 AND n >= 2
ORDER BY n DESC, day
LIMIT 10;
