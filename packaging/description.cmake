# SPDX-License-Identifier: MIT
# Read by CPack as it packages: each component's description begins with its own
# summary line, which the shared summary would otherwise precede.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
