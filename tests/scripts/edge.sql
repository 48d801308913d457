-- A database as other programs write them, for tests/scripts/edge-road.qvs: a dot in a table's
-- name, dates keyed in other spellings than the engine writes, a text key without row ids, an
-- expression column that is empty in its first rows, and a table whose name starts with "=".
CREATE TABLE "=formula" (id INTEGER PRIMARY KEY, t TEXT);
INSERT INTO "=formula" VALUES (1, '=1+1'), (2, '@SUM(1)');
CREATE TABLE "shop.items" (code TEXT PRIMARY KEY, name TEXT);
INSERT INTO "shop.items" VALUES ('0042', 'bolt'), ('TRUE', 'nut');
CREATE TABLE readings (taken DATETIME PRIMARY KEY, reading TEXT);
INSERT INTO readings VALUES ('2024-02-02', 'day'), ('2024-01-31T13:45:00', 'iso'),
                            ('2024-02-03 10:00:00', 'plain');
CREATE TABLE words (word TEXT PRIMARY KEY, n INT) WITHOUT ROWID;
INSERT INTO words VALUES ('b', 2), ('a', 1), ('ä', 3);
CREATE VIEW late AS SELECT word, CASE WHEN n > 3 THEN n * 1.5 END AS scaled FROM words ORDER BY n;
