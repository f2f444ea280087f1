!> none
!x 9: [Number of Frequencies] says 2, the data holds 1
[Version] 2.0
# GHz S MA R 50
[Number of Ports] 1
[Number of Frequencies] 2
[Network Data]
1 .5 0
[End]
