#include "support/testservices.h"

Services testServices(const QString &folder, int *ended)
{
    Services services = Services::system();
    services.appPath = folder;
    services.offerNewDiscs = false; // a test's mounts are its own business
    services.endProcess = [ended](int) {
        if (ended)
            ++*ended;
    };
    return services;
}
