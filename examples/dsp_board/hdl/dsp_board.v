// Top level of the DSP board design.
module dsp_board (input clk, input reset_n);
endmodule
