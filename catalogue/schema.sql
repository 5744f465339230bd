-- The catalogue: one row per catalogued file. ID is assigned by the engine and never reused.
-- Dates are ISO text (YYYY-MM-DD, plus " HH:MM:SS" only when the time of day is not midnight).
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

-- The name index for searching File by any part of it: names of the rows up to
-- FilesNameState.Indexed, brought up to date by the program in one batch before a search.
-- The trigram tokenizer folds case; the exact match is made by the program's folded_like.
CREATE VIRTUAL TABLE FilesName USING fts5(File, content='', columnsize=0, tokenize='trigram');
CREATE TABLE FilesNameState (Indexed INTEGER NOT NULL);
INSERT INTO FilesNameState (Indexed) VALUES (0);
CREATE TRIGGER FilesNameUpdate AFTER UPDATE OF File ON Files BEGIN
    INSERT INTO FilesName (rowid, File) VALUES (new.ID, new.File);
END;

-- The indexer asks whether a file is already catalogued by folder, name, label and serial.
CREATE INDEX FilesByFolder ON Files (Path, Archive, Serial, File);
