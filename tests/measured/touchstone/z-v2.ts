! The same 150 ohms unnormalised, as version 2 keeps it, under a name that says nothing.
!> S11 z0=50
!= 1000000 0.5 0
[Version] 2.0
# MHz Z MA R 75
[Number of Ports] 1
[Number of Frequencies] 1
[Network Data]
1 150 0
[End]
