#pragma once

#include <QString>

// The catalogue's media: a medium is one pair of label (Archive) and serial text of its rows; a
// missing label or serial counts as an empty one.
namespace Media {

// Every row of one medium; its two parameters are the label and the serial text.
QString rowsStatement();

} // namespace Media
