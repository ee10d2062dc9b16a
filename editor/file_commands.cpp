#include "editor/file_commands.h"

#include "platform/dataset/client_dataset.h"
#include "table_file/sy_db.h"

namespace {

// Keeps the controls from following a walk over every record.
class TControlsDisabled {
  public:
    explicit TControlsDisabled(TClientDataSet& ds) : ds_(ds) { ds_.DisableControls(); }
    ~TControlsDisabled() { ds_.EnableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

  private:
    TClientDataSet& ds_;
};

}  // namespace

bool WriteTableFile(const std::string& path, TClientDataSet& table) {
    bool saved;
    {
        TControlsDisabled quiet(table);
        saved = SaveTableFile(path, '"', table);
    }
    if (saved) table.Open();
    return saved;
}
