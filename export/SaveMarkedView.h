#pragma once

#include <cstddef>
#include <string>

namespace orbisk {

// What a batch save shows, on the window thread, in the order the worker
// reports it: the progress bar's maximum, its steps, the error box and the
// end. The progress dialog implements it.
class SaveMarkedView {
public:
    virtual ~SaveMarkedView() = default;

    // The number of icons to save; the bar goes back to 0.
    virtual void SetProgressMax(std::size_t maximum) = 0;
    // steps more icons were handled, saved or not.
    virtual void StepProgress(std::size_t steps) = 0;
    // Shows every error line in one message box and returns once the user
    // has closed it.
    virtual void ShowErrors(const std::string& text) = 0;
    // The batch is over: the progress dialog closes, if it is still open.
    virtual void CloseRequest() = 0;
};

} // namespace orbisk
