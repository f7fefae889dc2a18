#include "extract/ExtractionJob.h"

#include "catalogue/ArchiveCatalogue.h"

ExtractionJob JobOver(const ArchiveCatalogue& catalogue, HWND list, const std::wstring& destination,
                      ExtractMode extractMode, UpdateMode updateMode, std::uint64_t totalBytes)
{
    ExtractionJob job;
    job.archivePath = catalogue.archivePath;
    job.destination = destination;
    job.extractMode = extractMode;
    job.updateMode = updateMode;
    job.currentFolder = catalogue.currentFolder;
    job.list = list;
    job.catalogue = &catalogue;
    job.totalBytes = totalBytes;
    return job;
}
