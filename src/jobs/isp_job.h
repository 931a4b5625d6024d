#pragma once

#include <string_view>

#include "isp/isp_tally.h"
#include "jobs/job_context.h"
#include "jobs/serial_counter.h"

namespace updater {

/// The ISP command's job: loads the image with its address file and BmpMap
/// and the serial counter from SERIAL.TXT, stamps the operator's identity
/// data and a fresh serial number into the image, checks that the image
/// suits the selected reader, and hands it to the programming sequence of
/// the job's route, which counts the run in `tally`. After a successful
/// programming it advances `counter` and saves SERIAL.TXT. Starts StatusLog
/// afresh with its report.
///
/// A counter it may advance is locked (jobs/serial_lock.h) from its load to
/// its save and the run's history record; when another program holds the
/// lock the job fails there. No box waits for the operator under the lock:
/// the boxes of a run that took it come, in their order, once it is gone.
///
/// Every failure before the programming ends the job with a stop box and
/// nothing sent; SERIAL.TXT changes only after a success.
///
/// A run with a number taken ahead (JobContext::reservedSerial) neither
/// loads, locks nor saves SERIAL.TXT: it makes its serial number from the
/// reserved counter, or fails where the load would with the reservation's
/// failure. Its history record goes in under the history's own lock alone.
void runIspJob(JobContext& job, IspTally& tally, SerialCounter& counter);

/// Whether an ISP run takes a number from SERIAL.TXT: not with DEVICE.TXT's
/// fixed serial string, nor for a hardware revision whose images carry no
/// serial number (`hardwareRevisionText` of the reader, as ispCommand sets
/// it).
bool ispRunTakesSerialNumber(const UserIspData& userIspData, std::string_view hardwareRevisionText);

}  // namespace updater
