-- The catalogue: one row per catalogued file. ID is assigned by the engine and never reused.
-- Dates are ISO text (YYYY-MM-DD, plus " HH:MM:SS" only when the time of day is not midnight).
-- Sections are marked so that an older catalogue can be given the parts it lacks.

-- section: files
CREATE TABLE Files (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Path TEXT,
    File TEXT,
    Size TEXT,
    Type TEXT,
    Created DATE,
    Accessed DATE,
    Modified DATE,
    Archive TEXT,
    Serial TEXT
);

-- section: changed names
-- The searches look names up among the case-folded names the program holds in memory, read with
-- the rows. A name changed afterwards by an update (any program may update Files with plain SQL)
-- is noted here, and the searches read the rows noted as well.
CREATE TABLE IF NOT EXISTS FilesNameChanged (ID INTEGER PRIMARY KEY);
CREATE TRIGGER IF NOT EXISTS FilesNameUpdate AFTER UPDATE OF File ON Files BEGIN
    INSERT OR IGNORE INTO FilesNameChanged (ID) VALUES (new.ID);
END;

-- section: reused ids
-- So is a row written with an ID already given (INSERT OR REPLACE, or a delete and an insert
-- with the same ID): the name held for that ID may be the old row's. The engine raises the
-- highest ID given (kept for an AUTOINCREMENT table only) once the statement is done.
CREATE TRIGGER IF NOT EXISTS FilesNameReused AFTER INSERT ON Files
WHEN new.ID <= (SELECT seq FROM sqlite_sequence WHERE name = 'Files') BEGIN
    INSERT OR IGNORE INTO FilesNameChanged (ID) VALUES (new.ID);
END;

-- section: old name index
-- An on-disk name index that earlier versions kept beside Files, with its triggers; a catalogue
-- that can be written loses it at open.
DROP TRIGGER IF EXISTS FilesNameInsert;
DROP TRIGGER IF EXISTS FilesNameDelete;
DROP TABLE IF EXISTS FilesNameState;
DROP TABLE IF EXISTS FilesName;

-- section: folder lookup
-- The indexer asks whether a file is already catalogued by folder, name, label and serial.
CREATE INDEX IF NOT EXISTS FilesByFolder ON Files (Path, Archive, Serial, File);

-- section: medium roots
-- The folder each medium's root was mounted on when folders of it were catalogued, beside the
-- medium's label and serial text as its rows carry them. A row's Path keeps the folder as it was
-- catalogued; the roots tell which part of it lies on the medium, so the same file is known, and
-- found, again under another mount point.
CREATE TABLE IF NOT EXISTS MediumRoots (
    Archive TEXT NOT NULL,
    Serial TEXT NOT NULL,
    Root TEXT NOT NULL,
    PRIMARY KEY (Archive, Serial, Root)
) WITHOUT ROWID;

-- section: medium catalogued
-- When an indexing run last wrote or found rows of each medium (UTC), by the medium's label and
-- serial text as its rows carry them.
CREATE TABLE IF NOT EXISTS MediumCatalogued (
    Archive TEXT NOT NULL,
    Serial TEXT NOT NULL,
    Catalogued TEXT NOT NULL,
    PRIMARY KEY (Archive, Serial)
) WITHOUT ROWID;

-- section: archive members
-- What the archives among the rows hold: one row per member, keyed to its archive's row in Files
-- by FileID. Path is the folder inside the archive ("" at its top). A member's ID is its own,
-- never one of Files. Whoever removes an archive's row removes its members with it.
CREATE TABLE IF NOT EXISTS ArchiveMembers (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    FileID INTEGER NOT NULL,
    Path TEXT NOT NULL,
    File TEXT NOT NULL,
    Size TEXT,
    Modified DATE
);
CREATE INDEX IF NOT EXISTS ArchiveMembersByFile ON ArchiveMembers (FileID);
CREATE TRIGGER IF NOT EXISTS FilesMembersDelete AFTER DELETE ON Files BEGIN
    DELETE FROM ArchiveMembers WHERE FileID = old.ID;
END;

-- section: medium notes
-- A note the user keeps on each medium (where it is kept, what it holds), by the medium's label
-- and serial text as its rows carry them. Removing a medium's rows keeps its note, so a disc
-- catalogued again has it back.
CREATE TABLE IF NOT EXISTS MediumNotes (
    Archive TEXT NOT NULL,
    Serial TEXT NOT NULL,
    Note TEXT NOT NULL,
    PRIMARY KEY (Archive, Serial)
) WITHOUT ROWID;
