/* Resource identifiers shared by dunlo.rc and the program. Plain #defines
 * only: windres runs this through the C preprocessor as well. */
#ifndef QUORVANE_RESOURCE_H
#define QUORVANE_RESOURCE_H

#define PRODUCT_NAME        "Quorvane Diagnostic Tool"

#define IDD_REPORT          101
#define IDC_REPORT_TEXT     1000
#define IDC_COPY            1001
/* Close is the platform's IDOK (1), the command Enter sends too. */

#endif
