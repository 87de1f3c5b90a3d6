#include "Board.h"

namespace zk {

std::string bonusLimitCaption(std::string_view limit)
{
    if (limit == "0")
        return "Unlimited Bonus Rolls";
    if (limit == "1")
        return "Bonus Rolls Limited to 1 Roll";
    return "Bonus Rolls Limited to " + std::string(limit) + " Rolls";
}

} // namespace zk
