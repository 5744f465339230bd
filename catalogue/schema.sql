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

-- The indexer asks whether a file is already catalogued by folder, name, label and serial.
CREATE INDEX FilesByFolder ON Files (Path, File, Archive, Serial);
