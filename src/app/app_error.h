// Errors raised by the program's classes: a number and a description, caught in one place.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qv {

class AppError : public std::runtime_error {
public:
    AppError(std::uint32_t number, const std::string& description)
        : std::runtime_error(description), number_(number), description_(description) {}

    std::uint32_t number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    std::uint32_t number_;
    std::string description_;
};

}  // namespace qv
