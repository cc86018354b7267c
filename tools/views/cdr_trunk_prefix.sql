-- Which Asterisk channels are trunks: the one table of the Asterisk views
-- that you edit. A channel whose name begins with a prefix below is an end
-- of that endpoint type; the longest matching prefix wins, and a channel
-- that matches none is an extension (type 1). Types the tool knows: 1 and 2
-- extensions, 7 and above trunks, 9 a SIP tie trunk (left out by T and M).
-- Load it once, before asterisk_mariadb.sql or asterisk_postgresql.sql;
-- afterwards change the rows with INSERT, UPDATE and DELETE. Look up the
-- names your trunks get in the channel and dstchannel columns of cdr.
CREATE TABLE cdr_trunk_prefix (
  prefix VARCHAR(80) NOT NULL PRIMARY KEY,
  endpoint_type INTEGER NOT NULL
);
-- Examples: a provider's SIP and PJSIP trunks and a SIP tie line to a
-- second site. Replace them with your own.
INSERT INTO cdr_trunk_prefix (prefix, endpoint_type) VALUES
  ('SIP/provider-', 7),
  ('PJSIP/provider-', 7),
  ('SIP/tie-', 9);
