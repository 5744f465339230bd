#pragma once

#include "indexing/indexingreport.h"

// Reports a run's failures with the error box, each as it comes; never stops a run.
class ErrorBoxReport : public IndexingReport
{
public:
    void folderFailed(const PlatformError &error) override;
    void runFailed(const PlatformError &error) override;
};
