// Tables of cases: each row carries a `situation` in words, and its test is named after it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct NamedBySituation {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        std::string name;
        for (const char* c = info.param.situation; *c != '\0'; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    }
};
