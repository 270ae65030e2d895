/* Test modules for the host's plug-ins folder (not plug-ins of this product):
 *   refusing_plugin: all seven entry points; FinaleExtensionVersion answers 0, so the host must leave it out.
 *   not_a_plugin (built with MIREL_ONLY_VERSION): a shared library with one of the seven entry points only.
 */
#include <stdint.h>

uint32_t FinaleExtensionVersion(uint32_t hostVersion) {
    (void)hostVersion;
    return 0;
}

#ifndef MIREL_ONLY_VERSION
uint32_t FinaleExtensionInit(uint32_t ignored, uint32_t* flags) {
    (void)ignored;
    *flags |= 1;
    return 1;
}
uint32_t FinaleExtensionEnumerate(uint32_t ignored, int32_t index, void* record) {
    (void)ignored, (void)index, (void)record;
    return 0;
}
int16_t FinaleExtensionEnumerate_UTF16(uint32_t ignored, int32_t index, void* record) {
    (void)ignored, (void)index, (void)record;
    return 0;
}
uint32_t FinaleExtensionInvoke(void* parent, uint32_t ignored, const void* region, uint32_t ignored2) {
    (void)parent, (void)ignored, (void)region, (void)ignored2;
    return 0;
}
uint32_t FinaleExtensionGetMenuStatus(uint32_t ignored) {
    (void)ignored;
    return 1;
}
void FinaleExtensionTerminate(uint32_t ignored) {
    (void)ignored;
}
#endif
