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

-- section: name index
-- Searching File by any part of it: the case-folded names of the rows up to
-- FilesNameState.Indexed, taken in by the program at each of the indexer's commit groups, and
-- in one batch before a search for rows other programs wrote. A name changed
-- by an update is noted in FilesNameChanged (plain SQL, so any program may update Files) and
-- searched directly until the next batch.
CREATE VIRTUAL TABLE FilesName USING fts5(File, content='', columnsize=0, tokenize='trigram');
-- The indexer takes its names in at every commit group: merging the index's segments after every
-- few groups cost more than the inserts themselves, so segments are merged only when 16 of one
-- level have gathered.
INSERT INTO FilesName (FilesName, rank) VALUES ('automerge', 0);
CREATE TABLE FilesNameState (Indexed INTEGER NOT NULL);
INSERT INTO FilesNameState (Indexed) VALUES (0);
CREATE TABLE FilesNameChanged (ID INTEGER PRIMARY KEY);
CREATE TRIGGER FilesNameUpdate AFTER UPDATE OF File ON Files BEGIN
    INSERT OR IGNORE INTO FilesNameChanged (ID) VALUES (new.ID);
END;

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
