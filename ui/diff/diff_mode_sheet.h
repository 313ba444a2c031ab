// placeholder: the differential mode sheet
#pragma once
