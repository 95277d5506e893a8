// The harness's own in-script actions: they show where in the installation an action with a
// given Execute field runs, and what it is handed there.
//
// ReportScript appends one record to the report for each run of it:
//   script  <immediate|deferred|rollback|commit>  <CustomActionData>
// FailInstallation ends the installation with 1603, so that the rollback script runs.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "report.h"

extern "C" UINT __stdcall ReportScript(MSIHANDLE session) {
    const char* mode = MsiGetMode(session, MSIRUNMODE_ROLLBACK)  ? "rollback"
                       : MsiGetMode(session, MSIRUNMODE_COMMIT)  ? "commit"
                       : MsiGetMode(session, MSIRUNMODE_SCHEDULED) ? "deferred"
                                                                   : "immediate";
    const probe::File out = probe::openReport(probe::kReportPath);
    if (out) probe::writeRecord(out.get(), {"script", mode, probe::readProperty(session, "CustomActionData").value});
    return ERROR_SUCCESS;
}

extern "C" UINT __stdcall FailInstallation(MSIHANDLE) { return ERROR_INSTALL_FAILURE; }
