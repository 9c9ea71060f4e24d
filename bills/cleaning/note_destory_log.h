// NoteDestoryLog: the plug-in of the label destruction record (标签销毁记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class NoteDestoryLog : public StatusBillPlugin {
 public:
  NoteDestoryLog() : StatusBillPlugin("NoteDestoryLog") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
