#include "app/program_arguments.h"

void CProgramArguments::Keep(std::vector<std::string> texts)
{
    texts_ = std::move(texts);
    pointers_.clear();
    for (auto& text : texts_)
        pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}
