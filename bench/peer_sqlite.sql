-- The peer: the ten busiest days of trunk traffic in one SQLite query with
-- window functions, as a capable user would write it instead of the tool.
-- It follows the tool's rules: a day runs from its midnight for 86400
-- seconds (the benchmark runs in UTC); a call belongs to the day it starts
-- in when it also ends before the day's end; trunk-to-trunk calls count
-- twice; calls shorter than 2 seconds do not count; the count at second s
-- is the calls with start <= s < end; a day's peak is its earliest busiest
-- second; days peaking below 2 are not listed; ties stand in day order.
-- Parameters: :first, the first day's midnight; :stop, the midnight after
-- the last day. Prints "count|YYYY/MM/DD hh:mm:ss" per listed day.
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
SELECT n, strftime('%Y/%m/%d %H:%M:%S', t, 'unixepoch')
FROM peaks
WHERE rank = 1 AND n >= 2
ORDER BY n DESC, day
LIMIT 10;
