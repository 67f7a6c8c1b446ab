// The effects tests' content: files the tests make themselves and register
// by name before calling an init routine; content_file serves them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Serves `bytes` under `name` from now on (replacing an earlier file).
void fake_content_add(const std::string& name, std::vector<uint8_t> bytes);
// Forgets every file.
void fake_content_clear();
