#include "xml_attribute.h"
#include <cstdlib>

namespace pug {

void free_attribute(attribute_record* attr)
{
    if (!attr)
        return;
    if (!attr->name_insitu)
        free(attr->name);
    if (!attr->value_insitu)
        free(attr->value);
    free(attr);
}

}  // namespace pug
