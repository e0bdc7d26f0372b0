// The S.M.A.R.T tab: model, serial, temperature and the attribute table of
// the disk typed into DiskNum.
#include <cstdio>

#include "app/win/main.h"
#include "smart/nvme.h"
#include "smart/smartapi.h"
#include "ui/win/app.h"

namespace {

const char* const kDegrees = "ﾟC";
const char* const kCaptions[6] = {"ID", "項目名", "現在値", "最悪値", "しきい値", "生の値"};

}  // namespace

void TForm1::doSmartClick(TObject*) {
  // Nothing of an earlier disk may stay in view while this one is read.
  ListView2.Clear();
  TempLabel.SetCaption(std::string("0") + kDegrees);

  DriveAccess& dev = *Drives;
  std::string error, model, serial;
  std::int64_t size = 0;
  if (!SmartIdentifyDrive(dev, DiskNum.Value(), error, model, serial, size)) {
    // NVMe disks answer no SMART request, only the storage query (Windows 10 on).
    smart::TNvmeHealthInfo nvme;
    if (smart::NvmeReadDrive(dev, DiskNum.Value(), nvme, error)) {
      Label10.SetCaption("Model: " + nvme.Model);
      Label11.SetCaption("Serial: " + nvme.Serial);
      for (int i = 0; i < 6; ++i) ListView2.SetColumnCaption(i, kCaptions[i]);
      TempLabel.SetCaption(std::to_string(nvme.Temperature - 273) + kDegrees);
      for (const smart::NvmeRow& row : smart::NvmeHealthRows(nvme, ui::LocaleThousandSeparator()))
        ListView2.AddRow({row[0], row[1], row[2], row[3], row[4], row[5]});
      return;
    }
    // No SMART at all: a SCSI disk may still name its serial number.
    if (ScsiSerialNumber(dev, DiskNum.Value(), error, model, serial, size))
      Label10.SetCaption("SCSI Serial: " + serial);
    else
      Label10.SetCaption("Model: No SMART Attributes Returned");
    Label11.SetCaption("Serial: ");
    return;
  }
  Label10.SetCaption("Model: " + model);
  Label11.SetCaption("Serial: " + serial);

  TDriveSmartInfo info;
  if (!SmartReadDrive(dev, DiskNum.Value(), info, error) || info.AttributeCount == 0) {
    Label10.SetCaption(Label10.Caption() + error);
    Label11.SetCaption("Serial:");
    return;
  }

  for (int i = 0; i < 6; ++i) ListView2.SetColumnCaption(i, kCaptions[i]);
  TempLabel.SetCaption(std::to_string(info.Temperature) + kDegrees);

  const char separator = ui::LocaleThousandSeparator();
  for (int r = 0; r < info.AttributeCount; ++r) {
    char id[16];
    std::snprintf(id, sizeof id, "%02X", static_cast<unsigned>(info.Numbers[r]));
    const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(info.Raw[r]));
    ListView2.AddRow({id, info.Names[r], std::to_string(info.Current[r]),
                      std::to_string(info.Worst[r]), std::to_string(info.Threshold[r]),
                      IntToThousands(low, separator)});
  }
}
