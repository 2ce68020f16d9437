#include "ui/send/SendComposer.h"

#include "ui/send/SendTextEncoder.h"

bool ComposeSendBytes(LPCWSTR pszText, const SendOptions& options, std::string& bytes,
                      SendHexError& error, UINT nCodePage)
{
    std::string composed;
    if (!options.bHex)
        composed = EncodeSendText(pszText, nCodePage);
    else if (!ParseSendHex(pszText, composed, error))
        return false;
    composed += SendCheckValue(options.check, composed);
    if (options.bLineEnding)
        composed += kSendLineEnding;
    bytes.swap(composed);
    return true;
}
