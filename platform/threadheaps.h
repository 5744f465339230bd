#pragma once

// The C library keeps the free memory at the top of a thread's heap for later use, up to a bound
// that grows with the largest blocks freed: after a run on a worker thread, its groups of rows
// would leave tens of megabytes held that nothing uses again. Fixing the bound at the library's
// starting value hands such memory back as it is freed. Called before a worker thread starts;
// calling it again changes nothing.
void keepThreadHeapsTrimmed();
