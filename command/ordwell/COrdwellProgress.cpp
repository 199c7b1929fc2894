// Progress mode: the stored command runs on a worker behind the progress window,
// whose result it returns. Where there is no window (Windows) the command runs plainly.
#include "COrdwell.h"

#if !defined(_WIN32)
#include "OrdwellProgressWindow.h"
#endif

unsigned long COrdwell::RunWithProgress(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder)
{
    progressPacket_ = packet;
    progressHolder_ = replyHolder;
    progressResult_ = 0;
#if defined(_WIN32)
    progressResult_ = Dispatch(progressPacket_, progressHolder_);
#else
    progressResult_ = OrdwellProgressWindow::Run([this] { return Dispatch(progressPacket_, progressHolder_); });
#endif
    return progressResult_;
}
