# The versions of the tools whose output the project depends on, named once (sourced by the scripts).

# The sources are formatted with this major version of clang-format (scripts/check-format.sh); another version
# breaks lines differently.
MIREL_CLANG_FORMAT_VERSION=14
