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

-- The name index for searching File by any part of it, kept in step with Files by triggers.
-- The trigram tokenizer folds case; the exact match is made by the program's folded_like.
CREATE VIRTUAL TABLE FilesName USING fts5(File, content='Files', content_rowid='ID',
                                          tokenize='trigram');
CREATE TRIGGER FilesNameInsert AFTER INSERT ON Files BEGIN
    INSERT INTO FilesName(rowid, File) VALUES (new.ID, new.File);
END;
CREATE TRIGGER FilesNameDelete AFTER DELETE ON Files BEGIN
    INSERT INTO FilesName(FilesName, rowid, File) VALUES ('delete', old.ID, old.File);
END;
CREATE TRIGGER FilesNameUpdate AFTER UPDATE OF File ON Files BEGIN
    INSERT INTO FilesName(FilesName, rowid, File) VALUES ('delete', old.ID, old.File);
    INSERT INTO FilesName(rowid, File) VALUES (new.ID, new.File);
END;
